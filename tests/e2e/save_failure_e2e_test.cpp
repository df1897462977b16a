// Saves that cannot finish, under Wine: each cause gives the error box, leaves
// the file that was there byte for byte, leaves no temporary file behind, and
// the next capture after the cause is gone is saved.
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "e2e/program_test.h"
#include "support/libpng_decoder.h"
#include "support/png_chunks.h"

namespace {

namespace fs = std::filesystem;

// A small tmpfs mounted over a folder while the object lives.
class SmallFileSystem {
public:
    SmallFileSystem(fs::path at, std::size_t bytes) : FAt(std::move(at)) {
        const std::string options = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", FAt.c_str(), "tmpfs", 0, options.c_str()) != 0) FError = std::strerror(errno);
    }
    // Detached: Wine may still hold the folder open.
    ~SmallFileSystem() {
        if (FError.empty()) ::umount2(FAt.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    // Why the mount was refused; empty when it is in place.
    const std::string& Error() const { return FError; }

private:
    fs::path FAt;
    std::string FError;
};

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : FDescriptor(descriptor) {}
    ~FileDescriptor() {
        if (FDescriptor >= 0) ::close(FDescriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return FDescriptor; }

private:
    int FDescriptor;
};

// Writes `file` until its file system has no room left; returns whether it
// ended full rather than failing otherwise.
bool FillUp(const fs::path& file) {
    const FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    if (out.Get() < 0) return false;
    const std::vector<char> block(4096, 'x');
    while (::write(out.Get(), block.data(), block.size()) > 0) {
    }
    return errno == ENOSPC;
}

class SaveFailureE2eTest : public e2e::ProgramE2eTest {
protected:
    // A picture left by an earlier run under the name the next shot will use,
    // as after a restart; returns its bytes.
    std::vector<std::uint8_t> PlaceEarlierPicture(int shot) const {
        fs::copy_file(Shot(1), Shot(shot), fs::copy_options::overwrite_existing);
        return testsupport::ReadFileBytes(Shot(shot).string());
    }

    // The temporary files of saves anywhere in the program's folder.
    std::vector<fs::path> TemporaryFiles() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(session->ProgramFile("")))
            if (const std::string name = entry.path().filename().string();
                name.starts_with("~") && name.ends_with(".tmp"))
                found.push_back(entry.path());
        return found;
    }

    // Presses Print Screen and expects the save of `shot` to be refused with
    // the error box naming the file: "Cannot create file" or "Cannot write
    // file", then the system's reason. The shot before it was saved, and the
    // caption still says so. Returns the box.
    std::string ExpectRefused(int shot, const std::string& report) const {
        session->Focus(session->MainWindow());
        session->HoldKey("Print");
        const std::string box = ErrorBox();
        if (box.empty()) {
            ADD_FAILURE() << "no error box for shot " << shot;
            return box;
        }
        const std::string named = report + " \"" + e2e::WindowsPath(Shot(shot)) + "\". ";
        const std::string message = ErrorMessage();
        EXPECT_TRUE(message.starts_with(named) && message.size() > named.size()) << message;
        EXPECT_EQ(TemporaryFiles(), std::vector<fs::path>{});
        EXPECT_EQ(session->WindowName(session->MainWindow()),
                  "Brendal, saved: " + Shot(shot - 1).filename().string());
        return box;
    }

    // Dismisses the box and expects the next press to save `shot`, a whole
    // screen that libpng decodes.
    void ExpectSavedAfter(const std::string& box, int shot) {
        ASSERT_TRUE(DismissErrorBox(box));
        session->Focus(session->MainWindow());
        session->HoldKey("Print");
        ASSERT_TRUE(Saved(shot)) << shot;
        const auto picture = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(shot).string()));
        EXPECT_EQ(picture.width, static_cast<std::uint32_t>(e2e::ScreenWidth));
        EXPECT_EQ(picture.height, static_cast<std::uint32_t>(e2e::ScreenHeight));
        EXPECT_EQ(TemporaryFiles(), std::vector<fs::path>{});
    }
};

// One program run, three causes in turn; the number of a refused shot stays used.
TEST_F(SaveFailureE2eTest, AHeldAReadOnlyOrAMissingTargetIsRefusedAndTheNextCaptureIsSaved) {
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));

    {
        SCOPED_TRACE("the file held open by another program, with no sharing");
        const auto earlier = PlaceEarlierPicture(2);
        const fs::path log = folder.Path() / "hold.log";
        auto holder = session->StartWindowsProgram(fileToolExe, {"hold", e2e::WindowsPath(Shot(2))}, log);
        ASSERT_TRUE(session->WaitFor([&] {
            std::ifstream in(log);
            std::string word;
            return in >> word && word == "held";
        }));
        const std::string box = ExpectRefused(2, "Cannot create file");
        EXPECT_EQ(testsupport::ReadFileBytes(Shot(2).string()), earlier);
        holder.reset();
        ExpectSavedAfter(box, 3);
    }
    {
        SCOPED_TRACE("a read-only file");
        const auto earlier = PlaceEarlierPicture(4);
        session->RunWindowsProgram(fileToolExe, {"read-only", e2e::WindowsPath(Shot(4)), "on"});
        const std::string box = ExpectRefused(4, "Cannot create file");
        EXPECT_EQ(testsupport::ReadFileBytes(Shot(4).string()), earlier);
        EXPECT_EQ(fs::status(Shot(4)).permissions() & fs::perms::owner_write, fs::perms::none) << "still read-only";
        session->RunWindowsProgram(fileToolExe, {"read-only", e2e::WindowsPath(Shot(4)), "off"});
        ExpectSavedAfter(box, 5);
    }
    {
        SCOPED_TRACE("a file where the output folder was");
        const fs::path output = session->ProgramFile("Output");
        fs::remove_all(output);
        std::ofstream(output) << "not a folder";
        const std::string box = ExpectRefused(6, "Cannot create file");
        std::ifstream in(output);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a folder");
        in.close();
        fs::remove(output);
        ExpectSavedAfter(box, 7);
    }
}

TEST_F(SaveFailureE2eTest, AFullDiskIsRefusedAndTheNextCaptureIsSaved) {
    const fs::path output = session->ProgramFile("Output");
    fs::create_directories(output);
    // Room for a few pictures of the made-up desktop.
    const SmallFileSystem disk(output, 4 << 20);
    if (!disk.Error().empty()) GTEST_SKIP() << "a small file system cannot be mounted here: " << disk.Error();
    session->HoldKey("Print");
    ASSERT_TRUE(Saved(1));
    const auto earlier = PlaceEarlierPicture(2);

    ASSERT_TRUE(FillUp(output / "filler"));
    const std::string box = ExpectRefused(2, "Cannot write file");
    EXPECT_EQ(testsupport::ReadFileBytes(Shot(2).string()), earlier);
    fs::remove(output / "filler");
    ExpectSavedAfter(box, 3);
}

}  // namespace
