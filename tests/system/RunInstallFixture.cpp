// tests/system/RunInstallFixture.cpp
#include "RunInstallFixture.h"

#include "BenchDrive.h"
#include "SystemTestSupport.h"
#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "ui/MainFrame.h"

void RunInstallTest::SetUp()
{
    bench::RemoveBenchDrives();
    InProcessFrameTest::SetUp();
    scratch = bench::Scratch();
    dest = scratch + "Morihane\\hoshikage\\";
}

void RunInstallTest::TearDown()
{
    InProcessFrameTest::TearDown();
    bench::RemoveBenchDrives();
}

ProgressPage* RunInstallTest::Progress()
{
    return static_cast<ProgressPage*>(Pages[PROGRESS_PAGE]);
}

HWND RunInstallTest::Frame()
{
    return TheMainFrame->Handle();
}

std::string RunInstallTest::MakeDisc(const std::string& name, const std::map<std::string, std::string>& files)
{
    std::string disc = scratch + name + "\\";
    bench::MakeFolders(disc);
    for (const auto& file : files)
    {
        std::string path = disc + file.first;
        size_t slash = path.rfind('\\');
        bench::MakeFolders(path.substr(0, slash + 1));
        bench::WriteFileBytes(path, file.second);
    }
    return disc;
}

bool RunInstallTest::InsertDisc(char letter, const std::string& discFolder, const std::string& label)
{
    return bench::DefineDrive(letter, bench::DriveKind::CdRom, bench::UnixPath(discFolder), label);
}

int RunInstallTest::Run(const std::vector<const char*>& entries, const MessageBoxAnswerer::Choice& choice,
                        std::vector<probe::DialogView>* boxes)
{
    InstallManifest manifest(entries.data(), static_cast<int>(entries.size()));
    MessageBoxAnswerer answerer(Frame(), choice);
    int result = Progress()->RunInstall(manifest, dest.c_str());
    answerer.Stop();
    for (const std::string& problem : answerer.Problems())
        ADD_FAILURE() << problem;
    if (boxes != nullptr)
        *boxes = answerer.Boxes();
    return result;
}

void RunInstallTest::ExpectFailure(const std::vector<const char*>& entries, const std::string& name)
{
    std::vector<probe::DialogView> boxes;
    EXPECT_EQ(0, Run(entries, &boxes));
    EXPECT_EQ(1u, boxes.size());
    if (boxes.size() != 1)
        return;
    EXPECT_EQ(name + "のコピーに失敗しました", boxes[0].text);
    EXPECT_EQ(DefaultCaption(), boxes[0].caption);
}

std::string RunInstallTest::DefaultCaption()
{
    static std::string caption;
    if (caption.empty())
    {
        MessageBoxAnswerer answerer(Frame(), AcknowledgeAll);
        MessageBoxA(Frame(), "probe", nullptr, MB_OK | MB_ICONHAND);
        answerer.Stop();
        if (!answerer.Boxes().empty())
            caption = answerer.Boxes().front().caption;
    }
    return caption;
}

std::string RunInstallTest::Contents(const std::string& name, size_t size)
{
    std::string text;
    for (int line = 0; text.size() < size; ++line)
        text += name + " " + std::to_string(line) + "\n";
    text.resize(size);
    return text;
}
