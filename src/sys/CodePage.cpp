// src/sys/CodePage.cpp
#include "sys/CodePage.h"

namespace
{
bool LeadBytes[256];
}

void LoadLeadBytes(UINT codePage)
{
    for (bool& lead : LeadBytes)
        lead = false;

    CPINFO info;
    if (!GetCPInfo(codePage, &info))
        return;
    // Pairs of inclusive bounds, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
    {
        for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b)
            LeadBytes[b] = true;
    }
}

bool IsLeadByte(unsigned char byte)
{
    return LeadBytes[byte];
}

size_t CharBoundaryAtOrBefore(const char* text, size_t maxLength)
{
    size_t i = 0;
    while (text[i] != '\0')
    {
        bool lead = IsLeadByte(static_cast<unsigned char>(text[i]));
        // A lead byte with nothing after it is what is left of a character
        // that a bounded write cut in two.
        if (lead && text[i + 1] == '\0')
            break;
        size_t width = lead ? 2 : 1;
        if (i + width > maxLength)
            break;
        i += width;
    }
    return i;
}
