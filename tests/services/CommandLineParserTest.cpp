// CVyrCommandLineParser: the switch forms, malformed arguments, and the
// process's own command line.
#include "VyrCommandLineParser.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

TEST(CommandLineParserTest, EveryFormOfSwitch) {
    CVyrCommandLineParser parser({"model.prt", "/UseVBO", "-NoPBuffer", "RenderMode=3", "/SilhouetteMode=2",
                                  "-Title=a=b c"});
    CVyrString value(L"untouched");

    EXPECT_TRUE(parser.GetParamExists(L"UseVBO"));
    EXPECT_FALSE(parser.GetParamValue(L"UseVBO", value));  // a switch has no value
    EXPECT_EQ(value, L"untouched");
    EXPECT_TRUE(parser.GetParamExists(L"NoPBuffer"));

    EXPECT_TRUE(parser.GetParamExists(L"RenderMode"));
    ASSERT_TRUE(parser.GetParamValue(L"RenderMode", value));
    EXPECT_EQ(value, L"3");
    ASSERT_TRUE(parser.GetParamValue(L"SilhouetteMode", value));
    EXPECT_EQ(value, L"2");
    ASSERT_TRUE(parser.GetParamValue(L"Title", value));  // split at the first '='
    EXPECT_EQ(value, L"a=b c");

    // Names compare without case; a plain argument is no switch.
    EXPECT_TRUE(parser.GetParamExists(L"usevbo"));
    EXPECT_TRUE(parser.GetParamExists(L"RENDERMODE"));
    EXPECT_FALSE(parser.GetParamExists(L"model.prt"));
    EXPECT_FALSE(parser.GetParamExists(L"HideDatums"));
    EXPECT_FALSE(parser.GetParamExists(L"/UseVBO"));  // the prefix is not part of the name
}

TEST(CommandLineParserTest, TheLastSwitchOfANameCounts) {
    CVyrCommandLineParser parser({"/RenderMode=1", "-rendermode=4", "/ShowThreads=yes", "/ShowThreads"});
    CVyrString value;
    ASSERT_TRUE(parser.GetParamValue(L"RenderMode", value));
    EXPECT_EQ(value, L"4");
    EXPECT_TRUE(parser.GetParamExists(L"ShowThreads"));
    EXPECT_FALSE(parser.GetParamValue(L"ShowThreads", value));
}

TEST(CommandLineParserTest, MalformedArgumentsNeverCrash) {
    CVyrCommandLineParser parser({"", "/", "-", "=value", "/=3", "Name=", "-Empty=", "\xFF\xFE/\x80", "/Bad\xC3",
                                  std::string("/Zero\0After", 11), "/Ok"});
    CVyrString value(L"untouched");
    EXPECT_FALSE(parser.GetParamExists(L""));
    EXPECT_FALSE(parser.GetParamValue(L"", value));
    EXPECT_TRUE(parser.GetParamExists(L"Name"));  // "Name=" is a switch without a value
    EXPECT_FALSE(parser.GetParamValue(L"Name", value));
    EXPECT_TRUE(parser.GetParamExists(L"Empty"));
    EXPECT_FALSE(parser.GetParamValue(L"Empty", value));
    EXPECT_EQ(value, L"untouched");
    EXPECT_TRUE(parser.GetParamExists(L"Zero"));  // an argument ends at a zero byte
    EXPECT_TRUE(parser.GetParamExists(L"Bad\u00C3"));  // not UTF-8: read byte by byte
    EXPECT_TRUE(parser.GetParamExists(L"Ok"));
    EXPECT_FALSE(parser.GetParamExists(L"value"));

    CVyrCommandLineParser empty({});
    EXPECT_FALSE(empty.GetParamExists(L"UseVBO"));
}

// Runs again in a child process started with known arguments: the instance must see them.
TEST(CommandLineParserTest, TheInstanceReadsThisProcessCommandLine) {
    if (std::getenv("VYR_COMMAND_LINE_CHILD")) {
        CVyrCommandLineParser* parser = CVyrCommandLineParser::GetInstance();
        ASSERT_NE(parser, nullptr);
        EXPECT_EQ(CVyrCommandLineParser::GetInstance(), parser);
        EXPECT_TRUE(parser->GetParamExists(L"UseVBO"));
        CVyrString value;
        ASSERT_TRUE(parser->GetParamValue(L"RenderMode", value));
        EXPECT_EQ(value, L"\u00DC3");
        EXPECT_FALSE(parser->GetParamExists(L"NoRefUCS"));
        if (!HasFailure()) _exit(42);  // proves to the parent that the checks ran and held
        return;
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("VYR_COMMAND_LINE_CHILD", "1", 1);
        execl("/proc/self/exe", "services_tests",
              "--gtest_filter=CommandLineParserTest.TheInstanceReadsThisProcessCommandLine", "/UseVBO",
              "RenderMode=\xC3\x9C" "3", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
}
