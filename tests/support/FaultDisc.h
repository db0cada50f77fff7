// tests/support/FaultDisc.h
// The bench's failing disc (tools/faultdisc): a sample disc served
// read-only through FUSE, with the faults a test asks for. Put it behind a
// CD-ROM letter with bench::DefineDrive(letter, DriveKind::CdRom, Unix(),
// label). Once the disc is out, Wine answers ERROR_NOT_READY for its files
// and folders, as Windows does, but still the label it was given (the mount
// manager keeps it): a search by label finds the drive until the test also
// takes the drive away or re-points it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bench
{
class FaultDisc
{
public:
    // Sample disc 1 or 2, at $BENCH_FAULTDISC1 or 2, or else at
    // $BENCH_ROOT/mnt/faultdisc1 or 2; steered by the file beside it,
    // mount + ".control". Starts without faults, and leaves none behind.
    explicit FaultDisc(int disc);
    ~FaultDisc();

    // Whether the bench mounted it; if not, Missing() says so in one line.
    bool Mounted() const;
    std::string Missing() const;

    std::string Unix() const { return m_mount; }

    // Each adds a rule and rewrites the control file; the disc obeys from
    // its next request. FILE is the name inside the disc, any case.
    // Reads of file deliver the bytes before offset, then fail (a scratch).
    void Scratch(const std::string& file, unsigned offset);
    // The disc goes out once a read of file reaches offset; that read
    // delivers the bytes before it.
    void EjectAt(const std::string& file, unsigned offset);
    // No faults.
    void Clear();

    FaultDisc(const FaultDisc&) = delete;
    FaultDisc& operator=(const FaultDisc&) = delete;

private:
    void Write();

    std::string m_mount;
    std::string m_control;
    std::vector<std::string> m_rules;
};
} // namespace bench

// Skips the running test, by name, when the bench has no such disc.
#define SKIP_WITHOUT_FAULT_DISC(faultDisc)                                                                         \
    if (!(faultDisc).Mounted())                                                                                    \
    GTEST_SKIP() << (faultDisc).Missing()
