// tests/system/RunInstallFixture.h
// The real setup window in the test process, for install runs over file
// lists and discs of the test's own: the frame with its three pages, the
// progress page showing, and drives that the test defines.
#pragma once

#include "MessageBoxAnswerer.h"
#include "support/InProcess.h"

#include <map>
#include <string>
#include <vector>

class ProgressPage;

class RunInstallTest : public InProcessFrameTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    static ProgressPage* Progress();
    static HWND Frame();

    // A disc folder under the test's scratch folder holding the files (paths
    // relative to the disc, with backslashes; folders made as needed).
    // Returns its Windows path with a backslash.
    std::string MakeDisc(const std::string& name, const std::map<std::string, std::string>& files);
    // Puts the disc folder into a CD-ROM drive with that label.
    bool InsertDisc(char letter, const std::string& discFolder, const std::string& label);

    // Runs the list into dest while the choice answers the boxes; boxes
    // receives what they said.
    int Run(const std::vector<const char*>& entries, const MessageBoxAnswerer::Choice& choice,
            std::vector<probe::DialogView>* boxes);
    int Run(const std::vector<const char*>& entries, std::vector<probe::DialogView>* boxes)
    {
        return Run(entries, AcknowledgeAll, boxes);
    }

    // Runs the list expecting it to fail with one message: name could not
    // be copied, under the system's default caption.
    void ExpectFailure(const std::vector<const char*>& entries, const std::string& name);

    // The caption of a box shown without one: the system's default title.
    static std::string DefaultCaption();

    // A file's contents, distinct per name, about size bytes.
    static std::string Contents(const std::string& name, size_t size = 1000);

    std::string scratch;
    std::string dest;
};
