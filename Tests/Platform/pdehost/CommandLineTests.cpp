/*
 * CommandLineTests.cpp
 *
 * pdehost's options: the values taken, the ticket items in their order,
 * and the command lines that must be refused.
 */
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

bool parse(std::initializer_list<const char *> arguments, HostOptions &options,
           std::string &error) {
    std::vector<const char *> argv = {"pdehost"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), options, error);
}

std::string refusal(std::initializer_list<const char *> arguments) {
    HostOptions options;
    std::string error;
    EXPECT_FALSE(parse(arguments, options, error));
    EXPECT_FALSE(error.empty());
    return error;
}

} // namespace

TEST(CommandLine, EveryOption) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--ppd", "a.ppd", "--plugin=b.plugin", "--set", "k1=v 1",
                       "--set-bool=k2=TRUE", "--set", "k3==x=", "--set-bool", "k4=false", "--job",
                       "job.ps", "--filter", "./f", "script.txt"},
                      options, error))
        << error;
    EXPECT_EQ(options.ppd, "a.ppd");
    EXPECT_EQ(options.plugin, "b.plugin");
    EXPECT_EQ(options.job, "job.ps");
    EXPECT_EQ(options.filter, "./f");
    EXPECT_EQ(options.printer, "");
    EXPECT_EQ(options.script, "script.txt");
    ASSERT_EQ(options.settings.size(), 4u);
    EXPECT_EQ(options.settings[0].key, "k1");
    EXPECT_FALSE(options.settings[0].isBoolean);
    EXPECT_EQ(options.settings[0].text, "v 1");
    EXPECT_EQ(options.settings[1].key, "k2");
    EXPECT_TRUE(options.settings[1].isBoolean);
    EXPECT_TRUE(options.settings[1].boolean);
    EXPECT_EQ(options.settings[2].key, "k3"); // split at the first '='
    EXPECT_EQ(options.settings[2].text, "=x=");
    EXPECT_TRUE(options.settings[3].isBoolean);
    EXPECT_FALSE(options.settings[3].boolean);
}

TEST(CommandLine, ScriptFromStandardInput) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--ppd", "a.ppd"}, options, error));
    EXPECT_EQ(options.script, "");
    ASSERT_TRUE(parse({"--ppd", "a.ppd", "-"}, options, error));
    EXPECT_EQ(options.script, "");
    // After "--" a name that looks like an option is a script.
    ASSERT_TRUE(parse({"--ppd", "a.ppd", "--", "--weird"}, options, error));
    EXPECT_EQ(options.script, "--weird");
    ASSERT_TRUE(parse({"--ppd", "a.ppd", "--set", "k=", "x"}, options, error)) << error;
    EXPECT_EQ(options.settings[0].text, "");
}

TEST(CommandLine, Help) {
    HostOptions options;
    std::string error;
    // Help needs no PPD.
    ASSERT_TRUE(parse({"-h"}, options, error));
    EXPECT_TRUE(options.help);
    ASSERT_TRUE(parse({"--set", "k=v", "--help"}, options, error));
    EXPECT_TRUE(options.help);
}

TEST(CommandLine, Refusals) {
    EXPECT_NE(refusal({}).find("--ppd"), std::string::npos);
    EXPECT_NE(refusal({"a.script"}).find("--ppd"), std::string::npos);
    EXPECT_NE(refusal({"--ppd"}).find("needs a value"), std::string::npos);
    EXPECT_NE(refusal({"--ppd="}).find("needs a value"), std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "--bogus"}).find("--bogus"), std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "-x"}).find("-x"), std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "--set", "novalue"}).find("KEY=VALUE"), std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "--set", "=v"}).find("KEY=VALUE"), std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "--set-bool", "k=yes"}).find("true or false"),
              std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "--set-bool", "k="}).find("true or false"), std::string::npos);
    EXPECT_NE(
        refusal({"--ppd", "a", "--job", "j", "--printer", "p", "--filter", "f"}).find("exclude"),
        std::string::npos);
    EXPECT_NE(refusal({"--ppd", "a", "one", "two"}).find("more than one script"),
              std::string::npos);
}
