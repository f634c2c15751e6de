#include "catalogue/app_directory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

TEST(FolderOfPath, CutsAtTheLastSlash) {
    struct Case {
        std::string path;
        std::string folder;
    };
    const std::vector<Case> cases = {
        {"/opt/quorrel/quorrel", "/opt/quorrel"},
        {"/quorrel", ""},  // root folder: the settings file becomes "/ParamCfg.ini"
        {"/opt/\xE4\xB8\xAD\xE6\x96\x87/quorrel", "/opt/\xE4\xB8\xAD\xE6\x96\x87"},
        {"quorrel", "quorrel"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderOfPath(c.path), c.folder) << "path \"" << c.path << "\"";
    }
}

TEST(GetAppDirectory, IsTheFolderOfThisProgramUnlessOverridden) {
    const std::string real = GetAppDirectory();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.front(), '/');
    EXPECT_NE(real.back(), '/');
    EXPECT_EQ(access((real + "/unit_app_directory_test").c_str(), X_OK), 0) << real;

    SetAppDirectoryForTesting("/tmp/quorrel-settings");
    EXPECT_EQ(GetAppDirectory(), "/tmp/quorrel-settings");
    SetAppDirectoryForTesting("");
    EXPECT_EQ(GetAppDirectory(), real);
}

}  // namespace
