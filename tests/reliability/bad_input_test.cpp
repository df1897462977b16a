// Hostile settings and screens, one named case each: every press either
// saves a valid picture where the user expects it or shows a clear message,
// and in both cases no earlier file is lost and nothing stray is left.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/program_fixture.h"
#include "reliability/file_snapshot.h"

namespace {

namespace fs = std::filesystem;

const fs::perms WritePermissions = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

const std::string Program = apptest::ProgramFolder;  // C:\Program Files\Tivalo\ (ends with a backslash)
const std::string Output = Program + "Output\\";

// What is on disk before the press, besides the earlier picture in Output.
enum class Scene { Plain, FolderIsAFile, SubfolderExists, TargetIsAFolder, TargetIsReadOnly };

struct BadInputCase {
    std::string name;
    std::string folder = "Output";
    std::string prefix = "screen";
    sim::DesktopSpec desktop{64, 48, 32, 0};
    // An active window to capture instead of the screen; none when empty.
    std::optional<vcl::TRect> activeWindow;
    Scene scene = Scene::Plain;
    // The Windows path of the saved picture and its size, or the message shown.
    std::string savedAs;
    std::uint32_t width = 0, height = 0;
    std::string error;
};

void PrintTo(const BadInputCase& c, std::ostream* out) { *out << c.name; }

BadInputCase Saves(std::string name, std::string folder, std::string prefix, std::string savedAs) {
    BadInputCase c{std::move(name), std::move(folder), std::move(prefix)};
    c.savedAs = std::move(savedAs);
    c.width = 64;
    c.height = 48;
    return c;
}

BadInputCase Fails(std::string name, std::string folder, std::string prefix, std::string error) {
    BadInputCase c{std::move(name), std::move(folder), std::move(prefix)};
    c.error = std::move(error);
    return c;
}

std::string CannotCreate(const std::string& path, const std::string& reason) {
    return "Cannot create file \"" + path + "\". " + reason;
}

const std::string InvalidName = "The filename, directory name, or volume label syntax is incorrect.";
const std::string PathNotFound = "The system cannot find the path specified.";
const std::string ReservedName = "The name is reserved for a device.";
const std::string NoMemory = "Not enough memory resources are available to process this command.";

BadInputCase ScreenOf(std::string name, int width, int height, int bits = 32) {
    BadInputCase c{std::move(name)};
    c.desktop = {width, height, bits, 0};
    return c;
}

BadInputCase SavedScreen(std::string name, int width, int height) {
    BadInputCase c = ScreenOf(std::move(name), width, height);
    c.savedAs = Output + "screen001.png";
    c.width = static_cast<std::uint32_t>(width);
    c.height = static_cast<std::uint32_t>(height);
    return c;
}

BadInputCase RefusedScreen(std::string name, int width, int height, int bits, std::string error) {
    BadInputCase c = ScreenOf(std::move(name), width, height, bits);
    c.error = std::move(error);
    return c;
}

std::vector<BadInputCase> SizeCases() {
    std::vector<BadInputCase> cases = {
        RefusedScreen("Screen0x0", 0, 0, 32,
                      "The bitmap cannot be converted to a \"Portable Network Graphics\" image because it has no "
                      "pixels."),
        SavedScreen("Screen1x1", 1, 1),
        SavedScreen("Screen1x2048", 1, 2048),
        SavedScreen("Screen2048x1", 2048, 1),
        RefusedScreen("Screen16384x16384", 16384, 16384, 32, NoMemory),
        // 3 GiB of pixels: more than a signed 32-bit count holds.
        RefusedScreen("Screen32768x32768At24Bits", 32768, 32768, 24, NoMemory),
        // 16 GiB of pixels: a 32-bit count of them wraps round to 0.
        RefusedScreen("Screen65536x65536", 65536, 65536, 32, NoMemory),
    };
    BadInputCase empty{"ActiveWindow0x0"};
    empty.activeWindow = vcl::TRect{10, 10, 10, 10};
    empty.error = "The active window has no area to capture.";
    cases.push_back(empty);
    BadInputCase tiny{"ActiveWindow1x1"};
    tiny.activeWindow = vcl::TRect{10, 10, 11, 11};
    tiny.savedAs = Output + "screen001.png";
    tiny.width = tiny.height = 1;
    cases.push_back(tiny);
    return cases;
}

// Every reserved device name as a prefix and as a folder, bare and with an
// extension. A bare prefix is harmless: the number follows it (CON001.png).
std::vector<BadInputCase> DeviceNameCases() {
    std::vector<std::string> devices = {"CON", "PRN", "AUX", "NUL"};
    for (const char* kind : {"COM", "LPT"})
        for (char digit = '1'; digit <= '9'; ++digit) devices.push_back(kind + std::string(1, digit));
    std::vector<BadInputCase> cases;
    for (const std::string& device : devices) {
        cases.push_back(Saves("Prefix" + device, "Output", device, Output + device + "001.png"));
        cases.push_back(Fails("Prefix" + device + "WithExtension", "Output", device + ".txt",
                              CannotCreate(Output + device + ".txt001.png", ReservedName)));
        cases.push_back(Fails("Folder" + device, device, "screen",
                              CannotCreate(Program + device + "\\screen001.png", ReservedName)));
        cases.push_back(Fails("Folder" + device + "WithExtension", device + ".log", "screen",
                              CannotCreate(Program + device + ".log\\screen001.png", ReservedName)));
    }
    cases.push_back(Fails("PrefixLowerCaseNulWithExtension", "Output", "nul.png",
                          CannotCreate(Output + "nul.png001.png", ReservedName)));
    cases.push_back(Fails("FolderDeviceWithTrailingSpace", "AUX ", "screen",
                          CannotCreate(Program + "AUX \\screen001.png", ReservedName)));
    return cases;
}

std::vector<BadInputCase> ForbiddenCharacterCases() {
    const std::pair<const char*, const char*> characters[] = {
        {"LessThan", "<"}, {"GreaterThan", ">"}, {"Colon", ":"},       {"DoubleQuote", "\""}, {"Pipe", "|"},
        {"QuestionMark", "?"}, {"Asterisk", "*"}, {"ControlCharacter", "\x01"}, {"Tab", "\t"},
    };
    std::vector<BadInputCase> cases;
    for (const auto& [name, character] : characters) {
        const std::string prefix = std::string("a") + character + "b";
        cases.push_back(Fails(std::string("Prefix") + name, "Output", prefix,
                              CannotCreate(Output + prefix + "001.png", InvalidName)));
    }
    const std::pair<const char*, const char*> inFolders[] = {
        {"Pipe", "|"}, {"QuestionMark", "?"}, {"Asterisk", "*"}, {"LessThan", "<"}, {"DoubleQuote", "\""},
    };
    for (const auto& [name, character] : inFolders) {
        const std::string folder = std::string("Out") + character + "put";
        cases.push_back(Fails(std::string("Folder") + name, folder, "screen",
                              CannotCreate(Program + folder + "\\screen001.png", InvalidName)));
    }
    // A colon makes the folder text absolute: it is taken from the current folder.
    cases.push_back(Fails("FolderColon", "Out:put", "screen",
                          CannotCreate("C:\\Users\\Tivalo\\Out:put\\screen001.png", InvalidName)));
    // Separators in the prefix lead into a subfolder, which must exist.
    const std::pair<const char*, const char*> separators[] = {{"Slash", "/"}, {"Backslash", "\\"}};
    for (const auto& [name, separator] : separators)
        cases.push_back(Fails(std::string("Prefix") + name, "Output", std::string("sub") + separator + "shot",
                              CannotCreate(Output + "sub\\shot001.png", PathNotFound)));
    BadInputCase existing =
        Saves("PrefixBackslashIntoExistingFolder", "Output", "sub\\shot", Output + "sub\\shot001.png");
    existing.scene = Scene::SubfolderExists;
    cases.push_back(existing);
    return cases;
}

// A folder text that makes the saved file's full path exactly `length`
// characters long, with names short enough for any file system.
std::string FolderForPathLength(std::size_t length) {
    const std::string file = "\\screen001.png";
    const std::size_t folderLength = length - file.size();
    std::string folder = "C:\\Long";
    while (folder.size() < folderLength) {
        const std::size_t room = folderLength - folder.size();
        if (room == 1)
            folder += 'd';  // no room for a separator: the last name grows
        else
            folder += "\\" + std::string(std::min<std::size_t>(room - 1, 100), 'd');
    }
    return folder;
}

std::vector<BadInputCase> LengthCases() {
    std::vector<BadInputCase> cases;
    for (const std::size_t length : {259u, 260u, 261u, 1024u}) {
        const std::string folder = FolderForPathLength(length);
        cases.push_back(Saves("Path" + std::to_string(length), folder, "screen", folder + "\\screen001.png"));
    }
    // NTFS takes names of up to 255 characters; the save's temporary name
    // must not be what fails.
    const std::string longest(248, 'n');
    cases.push_back(Saves("Name255", "Output", longest, Output + longest + "001.png"));
    cases.push_back(Fails("Name256", "Output", longest + "n",
                          CannotCreate(Output + longest + "n001.png", "The filename or extension is too long.")));
    return cases;
}

std::vector<BadInputCase> NameCases() {
    std::vector<BadInputCase> cases = {
        Saves("PrefixTrailingDot", "Output", "shot.", Output + "shot.001.png"),
        Saves("PrefixTrailingSpace", "Output", "shot ", Output + "shot 001.png"),
        // Win32 drops a folder name's trailing dot, and keeps a trailing space
        // that a separator follows.
        Saves("FolderTrailingDot", "Output.", "screen", Output + "screen001.png"),
        Saves("FolderTrailingSpace", "Shots ", "screen", Program + "Shots \\screen001.png"),
        Saves("FolderCyrillic", "Снимки экрана", "screen", Program + "Снимки экрана\\screen001.png"),
        Saves("FolderCjk", "截图", "screen", Program + "截图\\screen001.png"),
        Saves("FolderEmoji", "📷 Shots", "screen", Program + "📷 Shots\\screen001.png"),
        Saves("PrefixCyrillic", "Output", "снимок", Output + "снимок001.png"),
        Saves("PrefixCjk", "Output", "屏幕", Output + "屏幕001.png"),
        Saves("PrefixEmoji", "Output", "📸", Output + "📸001.png"),
        Saves("PrefixParentFolder", "Output", "..\\shot", Program + "shot001.png"),
        Saves("PrefixFarAboveTheRoot", "Output", "..\\..\\..\\..\\..\\..\\shot", "C:\\shot001.png"),
        Saves("EmptyPrefix", "Output", "", Output + "001.png"),
        Saves("EmptyFolder", "", "screen", Program + "screen001.png"),
        Saves("FolderNetworkPath", "\\\\server\\share", "screen", Program + "server\\share\\screen001.png"),
        Fails("FolderOnMissingDrive", "Q:\\Shots", "screen", CannotCreate("Q:\\Shots\\screen001.png", PathNotFound)),
    };
    BadInputCase file =
        Fails("FolderIsAFile", "Shots", "screen", CannotCreate(Program + "Shots\\screen001.png", PathNotFound));
    file.scene = Scene::FolderIsAFile;
    cases.push_back(file);
    BadInputCase folder =
        Fails("TargetIsAFolder", "Output", "screen", CannotCreate(Output + "screen001.png", "Access is denied."));
    folder.scene = Scene::TargetIsAFolder;
    cases.push_back(folder);
    BadInputCase readOnly =
        Fails("TargetIsReadOnly", "Output", "screen", CannotCreate(Output + "screen001.png", "Access is denied."));
    readOnly.scene = Scene::TargetIsReadOnly;
    cases.push_back(readOnly);
    return cases;
}

std::vector<BadInputCase> AllCases() {
    std::vector<BadInputCase> all;
    for (auto group : {SizeCases(), DeviceNameCases(), ForbiddenCharacterCases(), LengthCases(), NameCases()})
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

class BadInputTest : public apptest::ProgramTest, public ::testing::WithParamInterface<BadInputCase> {
protected:
    BadInputTest() : ProgramTest(GetParam().desktop) {}

    void Put(const std::string& windowsPath, const std::string& content) {
        fs::create_directories(HostFile(windowsPath).parent_path());
        std::ofstream(HostFile(windowsPath), std::ios::binary) << content;
    }

    void SetTheScene(const BadInputCase& c) {
        Put(Output + "earlier.png", "an earlier picture");
        switch (c.scene) {
            case Scene::Plain: break;
            case Scene::FolderIsAFile: Put(Program + "Shots", "a file, not a folder"); break;
            case Scene::SubfolderExists: fs::create_directories(HostFile(Output + "sub")); break;
            case Scene::TargetIsAFolder: fs::create_directories(HostFile(Output + "screen001.png")); break;
            case Scene::TargetIsReadOnly:
                Put(Output + "screen001.png", "a read-only picture");
                fs::permissions(HostFile(Output + "screen001.png"), WritePermissions, fs::perm_options::remove);
                break;
        }
        desktop.Control(form->Handle(), "FolderEdit").SetText(c.folder);
        desktop.TypeText(form->Handle(), "Edit1", c.prefix);
        if (c.activeWindow) {
            desktop.SelectItem(form->Handle(), "AreaCombo", 2);
            desktop.Activate(desktop.AddWindow({*c.activeWindow, 0x336699}));
        }
    }
};

TEST_P(BadInputTest, SavesAValidPictureOrSaysWhyAndLosesNothing) {
    const BadInputCase& c = GetParam();
    SetTheScene(c);
    const reliability::FileSnapshot before = reliability::SnapshotFiles(root.Path());

    PressPrintScreen();

    const reliability::FileSnapshot after = reliability::SnapshotFiles(root.Path());
    EXPECT_EQ(reliability::ChangedFiles(before, after), std::vector<fs::path>{});
    EXPECT_EQ(reliability::TemporaryFiles(root.Path()), std::vector<fs::path>{});
    EXPECT_EQ(desktop.OpenFiles(), 0);
    const std::vector<fs::path> added = reliability::AddedFiles(before, after);
    if (c.savedAs.empty()) {
        EXPECT_EQ(ErrorTexts(), std::vector<std::string>{c.error});
        EXPECT_EQ(added, std::vector<fs::path>{});
        EXPECT_EQ(desktop.Caption(form->Handle()), "Tivalo");
        return;
    }
    EXPECT_EQ(ErrorTexts(), std::vector<std::string>{});
    ASSERT_EQ(added, std::vector<fs::path>{HostFile(c.savedAs)});
    const testsupport::DecodedPng picture = Decode(added.front());
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
    const std::string fileName = c.prefix + "001.png";
    EXPECT_EQ(desktop.Caption(form->Handle()), "Brendal, saved: " + fileName);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

}  // namespace
