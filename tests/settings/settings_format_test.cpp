// settings_format_test.cpp — the settings file byte for byte: what is written, how hand-written
// lines are read, where writes land, how numbers and encodings read.
#include "settings_test_util.h"

// [SECTION] Writing a new file

TEST_F(SettingsTest, FirstStartCreatesExactlyMarkEmptyLineAndApplicationGroup) {
    EXPECT_FALSE(OpenSettingsFile(Cfg));
    EXPECT_FALSE(SelectGroup("Application"));
    WriteSettingText("Path", "/opt/veldrune/");
    WriteSettingText("File", "veldrune");
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("ScreenW", 800), 800);
    EXPECT_EQ(ReadSettingText("settings.font", "Papyrus"), "Papyrus");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Application]\r\nPath = /opt/veldrune/\r\nFile = veldrune\r\n");
}

TEST_F(SettingsTest, NothingWrittenCreatesNoFileAndLeavesAFileByteForByte) {
    OpenSettingsFile(Cfg);
    SelectGroup("Controls");
    ReadSettingText("Forward", "W");
    CloseSettingsFile();
    EXPECT_FALSE(std::filesystem::exists(Cfg));

    // No mark, LF and CR line ends, blank lines, indentation, odd spacing:
    // reading every key must not normalise any of it.
    const std::string odd = "\n\n  [controls]\r  forward=Up  \n;x\n\n\tJump\r\r\nScrshot  =\tF12\n";
    Spit(Cfg, odd);
    struct stat before {};
    stat(Cfg.c_str(), &before);
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    EXPECT_TRUE(SelectGroup("Controls"));
    EXPECT_EQ(ReadSettingText("Forward", "W"), "Up");
    EXPECT_EQ(ReadSettingText("Scrshot", ""), "F12");
    CloseSettingsFile();
    struct stat after {};
    stat(Cfg.c_str(), &after);
    EXPECT_EQ(Slurp(Cfg), odd);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unmodified file must not be replaced";
}

TEST_F(SettingsTest, EmptyExistingFileIsWrittenWithoutMark) {
    Spit(Cfg, "");
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    SelectGroup("Settings");
    WriteSettingNumber("settings.fps", 2);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), "[Settings]\r\nsettings.fps = 2\r\n");

    // Once it holds something, the next rewrite adds the mark.
    OpenSettingsFile(Cfg);
    SelectGroup("Settings");
    WriteSettingNumber("settings.fps", 3);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Settings]\r\nsettings.fps = 3\r\n");
}

// [SECTION] Where writes land

TEST_F(SettingsTest, HandWrittenLineIsReadIgnoringCaseAndReplacedInPlace) {
    Spit(Cfg, "[screen]\nscreenw=1024\nScreenH = 768\n");
    OpenSettingsFile(Cfg);
    EXPECT_TRUE(SelectGroup("Screen"));
    EXPECT_EQ(ReadSettingNumber("ScreenW", 800), 1024);
    WriteSettingNumber("ScreenW", 1280);
    EXPECT_EQ(ReadSettingNumber("screenW", 800), 1280);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[screen]\r\nScreenW = 1280\r\nScreenH = 768\r\n");
}

TEST_F(SettingsTest, NewKeyGoesToTheEndOfItsGroupAndPendingGroupToTheEndOfTheFile) {
    Spit(Cfg, Mark + "[Screen]\r\nScreenW = 800\r\n; sizes end here\r\n[Controls]\r\nJump = Alt\r\n");
    OpenSettingsFile(Cfg);
    SelectGroup("Screen");
    WriteSettingNumber("ScreenH", 600);
    EXPECT_FALSE(SelectGroup("Settings"));
    EXPECT_EQ(ReadSettingText("settings.page", "Main"), "Main");
    WriteSettingText("settings.page", "GraphicRes");
    WriteSettingText("settings.language", "English");
    EXPECT_TRUE(SelectGroup("Settings"));
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark +
              "[Screen]\r\nScreenW = 800\r\n; sizes end here\r\nScreenH = 600\r\n"
              "[Controls]\r\nJump = Alt\r\n"
              "[Settings]\r\nsettings.page = GraphicRes\r\nsettings.language = English\r\n");
}

TEST_F(SettingsTest, FirstOfDuplicateKeysCountsAndIsTheOneReplaced) {
    Spit(Cfg, "[Controls]\nJump = Space\njump = X\n[Controls]\nJump = Y\n");
    OpenSettingsFile(Cfg);
    SelectGroup("CONTROLS");
    EXPECT_EQ(ReadSettingText("Jump", "Alt"), "Space");
    WriteSettingText("JUMP", "Alt");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Controls]\r\nJUMP = Alt\r\njump = X\r\n[Controls]\r\nJump = Y\r\n");
}

TEST_F(SettingsTest, SettingsBeforeAnyGroupAreNeitherReadNorWritten) {
    Spit(Cfg, "Forward = Up\n[Controls]\n");
    OpenSettingsFile(Cfg);
    EXPECT_EQ(ReadSettingText("Forward", "W"), "W");
    WriteSettingText("Forward", "X");   // no group selected: nowhere to write
    EXPECT_TRUE(SelectGroup("Controls"));
    EXPECT_EQ(ReadSettingText("Forward", "W"), "W");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), "Forward = Up\n[Controls]\n");
}

TEST_F(SettingsTest, CaseIsIgnoredForLettersAToZOnly) {
    Spit(Cfg, "[Sprache]\nT\xC3\x84ST = 1\n");
    OpenSettingsFile(Cfg);
    EXPECT_TRUE(SelectGroup("sprache"));
    EXPECT_EQ(ReadSettingNumber("t\xC3\x84st", 9), 1);
    EXPECT_EQ(ReadSettingNumber("T\xC3\xA4ST", 9), 9) << "\xC3\x84 and \xC3\xA4 are different keys";
    EXPECT_FALSE(SelectGroup("Sprache "));
}

TEST_F(SettingsTest, ValueWithLineBreaksStaysOnItsLine) {
    OpenSettingsFile(Cfg);
    SelectGroup("Application");
    WriteSettingText("Path", "/home/a\r\nb/\n[Evil]\rx");
    WriteSettingText("File", "veldrune");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Application]\r\nPath = /home/a  b/ [Evil] x\r\nFile = veldrune\r\n");
    OpenSettingsFile(Cfg);
    EXPECT_FALSE(SelectGroup("Evil"));
    SelectGroup("Application");
    EXPECT_EQ(ReadSettingText("File", ""), "veldrune");
}

TEST_F(SettingsTest, BackslashesInThePathAreFolderSeparators) {
    std::filesystem::create_directory(Folder + "/Sub");
    OpenSettingsFile(Folder + "\\Sub\\Veldrune.cfg");
    SelectGroup("Screen");
    WriteSettingNumber("ScreenW", 1024);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Folder + "/Sub/Veldrune.cfg"), Mark + "[Screen]\r\nScreenW = 1024\r\n");
}

// [SECTION] Reading hand-written lines

TEST_F(SettingsTest, LineFormsCommentsBlankLinesAndIndentationOnRewrite) {
    Spit(Cfg, "\r\n\r\n;note\n;  two\n;\tTab\n  [Screen] trailing\n\t ScreenW\t= 800 \n"
              "[Controls\nJump\n[ spaced ]\nA=\n");
    OpenSettingsFile(Cfg);
    EXPECT_TRUE(SelectGroup("Screen"));
    EXPECT_EQ(ReadSettingText("ScreenW", ""), "800");
    EXPECT_TRUE(SelectGroup("Controls")) << "a header without ']' runs to the line's end";
    EXPECT_EQ(ReadSettingText("Jump", "Alt"), "") << "a key without '=' is an empty value";
    EXPECT_TRUE(SelectGroup(" spaced "));
    EXPECT_EQ(ReadSettingText("A", "x"), "");
    EXPECT_FALSE(SelectGroup("spaced"));
    EXPECT_EQ(ReadSettingText("A", "x"), "x") << "an unknown group leaves no current group";
    SelectGroup("Screen");
    WriteSettingText("ScreenH", "600");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark +
              "; note\r\n;  two\r\n; \tTab\r\n[Screen]\r\nScreenW = 800 \r\nScreenH = 600\r\n"
              "[Controls]\r\nJump = \r\n[ spaced ]\r\nA = \r\n");
}

TEST_F(SettingsTest, TextValuesLoseSurroundingBlanks) {
    Spit(Cfg, "[Settings]\nsettings.font =  \t Times New Roman \t \nsettings.page=\n");
    OpenSettingsFile(Cfg);
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingText("settings.font", "Papyrus"), "Times New Roman");
    EXPECT_EQ(ReadSettingText("settings.page", "Main"), "");
}

TEST_F(SettingsTest, NumbersReadAsDecimalPrefixesAndClampAt32Bits) {
    Spit(Cfg, "[Screen]\n"
              "empty =\nsuffix = 1024abc\nblanks =   -12 \nplus = +7\nminus = -\nword = abc\n"
              "spaced = - 5\nhuge = 99999999999999999999\nneghuge = -99999999999999999999\n"
              "max = 2147483647\nmin = -2147483648\nover = 2147483648\nfloat = 85.5\nhex = 0x20\n");
    OpenSettingsFile(Cfg);
    SelectGroup("Screen");
    EXPECT_EQ(ReadSettingNumber("empty", 800), 0) << "an empty value is 0, not the default";
    EXPECT_EQ(ReadSettingNumber("suffix", 800), 1024);
    EXPECT_EQ(ReadSettingNumber("blanks", 800), -12);
    EXPECT_EQ(ReadSettingNumber("plus", 800), 7);
    EXPECT_EQ(ReadSettingNumber("minus", 800), 0);
    EXPECT_EQ(ReadSettingNumber("word", 800), 0);
    EXPECT_EQ(ReadSettingNumber("spaced", 800), 0);
    EXPECT_EQ(ReadSettingNumber("huge", 800), INT32_MAX);
    EXPECT_EQ(ReadSettingNumber("neghuge", 800), INT32_MIN);
    EXPECT_EQ(ReadSettingNumber("max", 800), INT32_MAX);
    EXPECT_EQ(ReadSettingNumber("min", 800), INT32_MIN);
    EXPECT_EQ(ReadSettingNumber("over", 800), INT32_MAX);
    EXPECT_EQ(ReadSettingNumber("float", 800), 85);
    EXPECT_EQ(ReadSettingNumber("hex", 800), 0);
    EXPECT_EQ(ReadSettingNumber("absent", 800), 800);

    WriteSettingNumber("min", INT32_MIN);
    WriteSettingNumber("neg", -1);
    CloseSettingsFile();
    std::string after = Slurp(Cfg);
    EXPECT_NE(after.find("\r\nmin = -2147483648\r\n"), std::string::npos);
    EXPECT_NE(after.find("\r\nneg = -1\r\n"), std::string::npos);
}

// [SECTION] Encodings

TEST_F(SettingsTest, Latin1FileReadsUmlautAndIsWrittenBackAsUtf8WithMark) {
    Spit(Cfg, "[Settings]\nsettings.language = Fr\xE4nkisch\n; gr\xFC\xDF" "e\n");
    OpenSettingsFile(Cfg);
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingText("settings.language", ""), "Fr\xC3\xA4nkisch");
    WriteSettingNumber("settings.fps", 1);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Settings]\r\nsettings.language = Fr\xC3\xA4nkisch\r\n"
                                 "; gr\xC3\xBC\xC3\x9F" "e\r\nsettings.fps = 1\r\n");
}

TEST_F(SettingsTest, Utf8FileWithoutMarkIsNotDoubleEncoded) {
    Spit(Cfg, "[Settings]\nsettings.font = Gr\xC3\xBCn \xE2\x82\xAC \xF0\x9F\x8E\xAE\n");
    OpenSettingsFile(Cfg);
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingText("settings.font", ""), "Gr\xC3\xBCn \xE2\x82\xAC \xF0\x9F\x8E\xAE");
    WriteSettingNumber("settings.fps", 1);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Settings]\r\nsettings.font = Gr\xC3\xBCn \xE2\x82\xAC \xF0\x9F\x8E\xAE\r\n"
                                 "settings.fps = 1\r\n");
}

TEST_F(SettingsTest, NearlyUtf8IsLatin1) {
    // Overlong "/" (C0 AF), a surrogate (ED A0 80) and a cut sequence are not
    // UTF-8, so the whole file is Latin-1.
    const char* cases[] = {"x = \xC0\xAF\n", "x = \xED\xA0\x80\n", "x = \xC3\n", "x = \xF4\x90\x80\x80\n"};
    const char* expected[] = {"\xC3\x80\xC2\xAF", "\xC3\xAD\xC2\xA0\xC2\x80", "\xC3\x83",
                              "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"};
    for (int i = 0; i < 4; ++i) {
        Spit(Cfg, std::string("[G]\n") + cases[i]);
        OpenSettingsFile(Cfg);
        SelectGroup("G");
        EXPECT_EQ(ReadSettingText("x", ""), expected[i]) << "case " << i;
        CloseSettingsFile();
    }
}

TEST_F(SettingsTest, FileWithMarkKeepsItsBytesEvenWhenNotUtf8) {
    Spit(Cfg, Mark + "[G]\r\nx = \xE4\r\n");
    OpenSettingsFile(Cfg);
    SelectGroup("G");
    EXPECT_EQ(ReadSettingText("x", ""), "\xE4");
    WriteSettingText("y", "1");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[G]\r\nx = \xE4\r\ny = 1\r\n");
}

TEST_F(SettingsTest, EmptyFileGetsTheMarkWhenItsNewContentIsNotUtf8) {
    // Without the mark such bytes would come back as Latin-1, changed.
    Spit(Cfg, "");
    OpenSettingsFile(Cfg);
    SelectGroup("Application");
    WriteSettingText("Path", "/srv/\xE4/");
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Application]\r\nPath = /srv/\xE4/\r\n");
    OpenSettingsFile(Cfg);
    SelectGroup("Application");
    EXPECT_EQ(ReadSettingText("Path", ""), "/srv/\xE4/");
}

// [SECTION] Sessions

TEST_F(SettingsTest, OpeningAgainClosesAndWritesTheOpenFile) {
    OpenSettingsFile(Cfg);
    SelectGroup("Settings");
    WriteSettingNumber("settings.debugger", 1);
    EXPECT_TRUE(OpenSettingsFile(Cfg));
    SelectGroup("Settings");
    EXPECT_EQ(ReadSettingNumber("settings.debugger", 0), 1);
    CloseSettingsFile();
    CloseSettingsFile();   // a second close does nothing
    // With no file open every operation is inert.
    EXPECT_FALSE(SelectGroup("Settings"));
    EXPECT_EQ(ReadSettingNumber("settings.debugger", 5), 5);
    WriteSettingNumber("settings.debugger", 7);
    CloseSettingsFile();
    EXPECT_EQ(Slurp(Cfg), Mark + "[Settings]\r\nsettings.debugger = 1\r\n");
}
