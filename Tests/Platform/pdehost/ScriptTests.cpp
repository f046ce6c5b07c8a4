/*
 * ScriptTests.cpp
 *
 * Reading dialog scripts: every action's form, the texts taken verbatim,
 * and the wrong lines that must stop a script with their line number.
 */
#include "Script.h"

#include <gtest/gtest.h>

namespace {

Action parseOne(const std::string &line) {
    ParsedLine parsed = ParseScriptLine(line, 7);
    EXPECT_TRUE(parsed.error.empty()) << line << ": " << parsed.error;
    EXPECT_TRUE(parsed.action.has_value()) << line;
    return parsed.action.value_or(Action{});
}

std::string errorOf(const std::string &line) {
    ParsedLine parsed = ParseScriptLine(line, 1);
    EXPECT_FALSE(parsed.action.has_value()) << line;
    return parsed.error;
}

const uint32_t kJlog = 0x6A6C6F67;

} // namespace

TEST(Script, ActionsWithoutArguments) {
    EXPECT_EQ(parseOne("open").kind, ActionKind::Open);
    EXPECT_EQ(parseOne("close").kind, ActionKind::Close);
    EXPECT_EQ(parseOne("paste").kind, ActionKind::Paste);
    EXPECT_EQ(parseOne("summary").kind, ActionKind::Summary);
    EXPECT_EQ(parseOne("  show\t").kind, ActionKind::Show);
    EXPECT_EQ(parseOne("print\r").kind, ActionKind::Print);
    EXPECT_EQ(parseOne("sync ui").kind, ActionKind::SyncUI);
    EXPECT_EQ(parseOne("sync   tickets").kind, ActionKind::SyncTickets);
    EXPECT_EQ(parseOne("open").line, 7);
}

TEST(Script, ControlAddresses) {
    Action focus = parseOne("focus jlog 1");
    EXPECT_EQ(focus.kind, ActionKind::Focus);
    EXPECT_EQ(focus.signature, kJlog);
    EXPECT_EQ(focus.id, 1);
    Action click = parseOne("click jlog -4");
    EXPECT_EQ(click.kind, ActionKind::Click);
    EXPECT_EQ(click.id, -4);
    EXPECT_EQ(parseOne("click jlog 2147483647").id, 2147483647);
    EXPECT_EQ(parseOne("focus ab\xc3\xa9 105").signature, 0x6162C3A9u);

    EXPECT_NE(errorOf("focus jlog"), "");
    EXPECT_NE(errorOf("focus jlo 1"), "");
    EXPECT_NE(errorOf("focus jlogs 1"), "");
    EXPECT_NE(errorOf("click jlog one"), "");
    EXPECT_NE(errorOf("click jlog 1x"), "");
    EXPECT_NE(errorOf("click jlog 2147483648"), "");
    EXPECT_NE(errorOf("click jlog 1 2"), "");
}

TEST(Script, TextsAreTakenAfterOneSpaceExactlyAsWritten) {
    Action type = parseOne("type Alice01");
    EXPECT_EQ(type.kind, ActionKind::Type);
    EXPECT_EQ(type.text, "Alice01");
    EXPECT_EQ(parseOne("type  two words ").text, " two words ");
    EXPECT_EQ(parseOne("type # not a comment").text, "# not a comment");
    EXPECT_EQ(parseOne("type caf\xc3\xa9").text, "caf\xc3\xa9");
    EXPECT_EQ(parseOne("type a\"b\\c\r").text, "a\"b\\c");
    Action drop = parseOne("drop ab-cd");
    EXPECT_EQ(drop.kind, ActionKind::Drop);
    EXPECT_EQ(drop.text, "ab-cd");

    Action clipboard = parseOne("clipboard 123 45");
    EXPECT_EQ(clipboard.kind, ActionKind::Clipboard);
    EXPECT_EQ(clipboard.text, "123 45");
    // A space after the name puts an empty text on the clipboard; the name
    // alone empties it.
    Action empty = parseOne("clipboard ");
    EXPECT_EQ(empty.kind, ActionKind::Clipboard);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(parseOne("clipboard").kind, ActionKind::ClipboardEmpty);

    EXPECT_NE(errorOf("type"), "");
    EXPECT_NE(errorOf("type "), "");
    EXPECT_NE(errorOf("drop"), "");
}

TEST(Script, Keys) {
    const char *names[] = {"backspace", "delete", "left",   "right", "home",
                           "end",       "tab",    "return", "escape"};
    for (const char *name : names) {
        Action key = parseOne(std::string("key ") + name);
        EXPECT_EQ(key.kind, ActionKind::Key) << name;
        EXPECT_EQ(key.key, ParseKeyName(name).value()) << name;
    }
    EXPECT_EQ(parseOne("key tab").key, KeyName::Tab);
    Action command = parseOne("key cmd-v");
    EXPECT_EQ(command.kind, ActionKind::CommandKey);
    EXPECT_EQ(command.text, "v");
    EXPECT_EQ(parseOne("key cmd-\xc3\xa9").text, "\xc3\xa9");
    EXPECT_EQ(parseOne("key cmd--").text, "-");

    EXPECT_NE(errorOf("key"), "");
    EXPECT_NE(errorOf("key Tab"), "");
    EXPECT_NE(errorOf("key space"), "");
    EXPECT_NE(errorOf("key cmd-"), "");
    EXPECT_NE(errorOf("key cmd-ab"), "");
    EXPECT_NE(errorOf("key tab tab"), "");
}

TEST(Script, Selection) {
    Action select = parseOne("select 2 5");
    EXPECT_EQ(select.kind, ActionKind::Select);
    EXPECT_EQ(select.selectionStart, 2);
    EXPECT_EQ(select.selectionEnd, 5);
    EXPECT_EQ(parseOne("select 0 0").selectionEnd, 0);
    EXPECT_EQ(parseOne("select 32767 32767").selectionStart, 32767);

    EXPECT_NE(errorOf("select 5 2"), "");
    EXPECT_NE(errorOf("select -1 2"), "");
    EXPECT_NE(errorOf("select 0 32768"), "");
    EXPECT_NE(errorOf("select 1"), "");
    EXPECT_NE(errorOf("select a b"), "");
}

TEST(Script, WrongLines) {
    EXPECT_NE(errorOf("opne").find("unknown action \"opne\""), std::string::npos);
    EXPECT_NE(errorOf("OPEN"), "");
    EXPECT_NE(errorOf("open now"), "");
    EXPECT_NE(errorOf("print please"), "");
    EXPECT_NE(errorOf("sync"), "");
    EXPECT_NE(errorOf("sync both"), "");
    EXPECT_NE(errorOf("sync ui tickets"), "");
}

TEST(Script, BlankAndCommentLinesAreSkipped) {
    for (const char *line : {"", "   ", "\t", "\r", "# comment", "  # indented", "#open"}) {
        ParsedLine parsed = ParseScriptLine(line, 1);
        EXPECT_FALSE(parsed.action.has_value()) << line;
        EXPECT_EQ(parsed.error, "") << line;
    }
}

TEST(Script, WholeScriptCountsEveryLine) {
    ParsedScript script = ParseScript("# dialog\n\nopen\r\nfocus jlog 1\ntype ab\n\nprint");
    EXPECT_EQ(script.errorLine, 0);
    ASSERT_EQ(script.actions.size(), 4u);
    EXPECT_EQ(script.actions[0].line, 3);
    EXPECT_EQ(script.actions[1].line, 4);
    EXPECT_EQ(script.actions[2].line, 5);
    EXPECT_EQ(script.actions[3].line, 7);

    ParsedScript wrong = ParseScript("open\n\n# x\nfocus jlog\nbogus\n");
    EXPECT_EQ(wrong.errorLine, 4);
    EXPECT_NE(wrong.error, "");
    EXPECT_EQ(wrong.actions.size(), 1u);

    EXPECT_TRUE(ParseScript("").actions.empty());
    EXPECT_EQ(ParseScript("\n\n").errorLine, 0);
}
