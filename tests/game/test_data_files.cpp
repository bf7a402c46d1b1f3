// Which data folder the game reads: the working directory's data/ first, then the installed one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "game/data_files.h"

namespace {

namespace fs = std::filesystem;

TEST(DataFolder, WorkingDirectoryFirstThenTheInstalledFolderBesideTheProgram) {
    const fs::path root = fs::path(testing::TempDir()) / ("data_folder_" + std::to_string(getpid()));
    const fs::path here = fs::current_path();
    const std::string bin = (root / "usr" / "bin").string() + "/";
    const std::string installed = bin + INSTALLED_DATA_FOLDER;
    const struct {
        bool localData, installedData;
        std::string expected;
    } cases[] = {
        {true, true, "data/"}, {true, false, "data/"}, {false, true, installed}, {false, false, "data/"}};
    for (const auto& c : cases) {
        fs::remove_all(root);
        fs::create_directories(root / "usr" / "bin");
        fs::create_directories(root / "elsewhere");
        if (c.localData) fs::create_directories(root / "elsewhere" / "data");
        if (c.installedData) fs::create_directories(root / "usr" / "share" / "tarvex");
        fs::current_path(root / "elsewhere");
        EXPECT_EQ(chooseDataFolder(bin), c.expected);
        EXPECT_EQ(chooseDataFolder(""), "data/") << "no program folder known";
        fs::current_path(here);
    }
    fs::remove_all(root);

    setDataFolder(installed.substr(0, installed.size() - 1));
    EXPECT_EQ(dataFile(MUSIC_FILE), installed + "music");
    setDataFolder("data/");
    EXPECT_EQ(dataFile(PLAYFIELD_FILE), "data/playfield.txt");
}

}  // namespace
