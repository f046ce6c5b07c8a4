/*
 * EventOutputTests.cpp
 *
 * The event lines: quoting of texts, control codes, the control line, and
 * a stream that cannot be written.
 */
#include "EventOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(EventOutput, TextsAreQuotedWithBackslashes) {
    EXPECT_EQ(QuoteEventText(""), "\"\"");
    EXPECT_EQ(QuoteEventText("Enter a valid User ID"), "\"Enter a valid User ID\"");
    EXPECT_EQ(QuoteEventText("a\"b"), "\"a\\\"b\"");
    EXPECT_EQ(QuoteEventText("a\\b"), "\"a\\\\b\"");
    EXPECT_EQ(QuoteEventText("\\\""), "\"\\\\\\\"\"");
    EXPECT_EQ(QuoteEventText("caf\xc3\xa9 'x'"), "\"caf\xc3\xa9 'x'\"");
}

TEST(EventOutput, FourCharCodes) {
    EXPECT_EQ(FourCharCodeText(0x6A6C6F67), "jlog");
    EXPECT_EQ(FourCharCodeText(0x2D2D2D2D), "----");
    EXPECT_EQ(FourCharCodeText(0), "0x00000000");
    EXPECT_EQ(FourCharCodeText(0x6A6C2067), "0x6A6C2067"); // a space inside
    EXPECT_EQ(FourCharCodeText(0xA9636F64), "0xA9636F64"); // not ASCII
}

TEST(EventOutput, ControlLine) {
    ControlState control;
    control.signature = 0x6A6C6F67;
    control.id = 5;
    control.kind = "edittext";
    control.value = 0;
    control.enabled = false;
    control.visible = true;
    control.focused = false;
    control.top = 72;
    control.left = -3;
    control.bottom = 94;
    control.right = 150;
    control.text = "12\"3";
    EXPECT_EQ(FormatControlLine(control), "control jlog 5 edittext value=0 enabled=no visible=yes "
                                          "focus=no bounds=72,-3,94,150 text=\"12\\\"3\"");
}

TEST(EventOutput, WriterLinesInOrder) {
    FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    EventWriter writer(stream);
    writer.Status("sync-tickets", -9531);
    writer.Beep();
    writer.Alert("caution", "Enter a valid User ID");
    writer.Summary("User ID", "a\\b");
    writer.TicketString("com.quarn.pm.UserID", "Alice");
    writer.TicketBoolean("com.quarn.pm.EnableUserCode", false);
    writer.TicketOther("com.example.Copies", "number");
    writer.Options("a=b c..b.=True");
    writer.Options("");
    writer.Job(42);
    writer.Output();
    EXPECT_TRUE(writer.Good());

    std::rewind(stream);
    std::string written;
    char buffer[256];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        written.append(buffer, count);
    std::fclose(stream);
    EXPECT_EQ(written, "status sync-tickets -9531\n"
                       "beep\n"
                       "alert caution \"Enter a valid User ID\"\n"
                       "summary \"User ID\" \"a\\\\b\"\n"
                       "ticket com.quarn.pm.UserID string \"Alice\"\n"
                       "ticket com.quarn.pm.EnableUserCode boolean false\n"
                       "ticket com.example.Copies number\n"
                       "options a=b c..b.=True\n"
                       "options\n"
                       "job 42\n"
                       "output\n");
}

/* A dropped text may hold a zero character: the line keeps it and its
   closing quote. */
TEST(EventOutput, WriterKeepsAZeroCharacterInAText) {
    FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    EventWriter writer(stream);
    writer.Summary("User ID", std::string("a\0b", 3));
    EXPECT_TRUE(writer.Good());
    std::rewind(stream);
    char buffer[64];
    size_t count = std::fread(buffer, 1, sizeof buffer, stream);
    std::fclose(stream);
    EXPECT_EQ(std::string(buffer, count), std::string("summary \"User ID\" \"a\0b\"\n", 24));
}

TEST(EventOutput, WriterReportsAFullDevice) {
    FILE *full = std::fopen("/dev/full", "w");
    if (full == nullptr)
        GTEST_SKIP() << "no /dev/full";
    EventWriter writer(full);
    writer.Beep();
    EXPECT_FALSE(writer.Good());
    writer.Job(1); // stays failed, does not crash
    EXPECT_FALSE(writer.Good());
    std::fclose(full);
}
