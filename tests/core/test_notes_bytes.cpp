// How stored production notes break their lines and encode their characters, and which of them an editor can
// give back byte for byte.
#include "text/Notes.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// The notes as an editor would store them again unchanged: it shows the lines and ends each with LF.
std::string Again(const std::string& notes) {
    const TNotesForm form = NotesForm(notes);
    const std::string_view lines = ShownNotes(notes, form);
    std::string shown;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        shown += lines[i] == '\r' ? '\n' : lines[i];
        if (lines[i] == '\r' && i + 1 < lines.size() && lines[i + 1] == '\n')
            ++i;
    }
    return NotesBytes(shown, form);
}

TEST(NotesTest, NotesOfOneLineEndAndOneEncodingComeBackByteForByte) {
    for (const std::string& notes : {"Stir 15 min.\r\nStore cool.\r\n"s, "Emulsify first.\nThen add syrup."s,
                                     "old\rmachine\r"s, ""s, "\r\n"s, "\r\n\r\n"s,
                                     "no\xC2\xA0"
                                     "break\xE2\x80\xA8line"s,
                                     "Caf\xE9 \x93hot\x94\n"s})
        EXPECT_EQ(Again(notes), notes) << notes;

    EXPECT_EQ(NotesForm("a\nb").LineBreak, "\n");
    EXPECT_EQ(NotesForm("a\rb").LineBreak, "\r");
    EXPECT_EQ(NotesForm("ab").LineBreak, "\r\n") << "typed line breaks of notes without any";
    EXPECT_EQ(NotesForm("Caf\xC3\xA9").Encoding, TNotesEncoding::Utf8);
    EXPECT_EQ(NotesForm("Caf\xE9").Encoding, TNotesEncoding::Windows1252);
    // An edit adds lines with the notes' own line end.
    const TNotesForm lf = NotesForm("a\nb\n");
    EXPECT_EQ(NotesBytes("a\nb\nnew", lf), "a\nb\nnew\n");
}

TEST(NotesTest, NotesAnEditorCannotGiveBackAreTold) {
    for (const std::string& notes : {"before\0after"s, "a\r\nb\nc"s, "a\rb\n"s, "\x81 unassigned"s})
        EXPECT_EQ(NotesForm(notes).Problem, TNotesProblem::Unkeepable) << notes;
    EXPECT_EQ(NotesForm("ok \xE9").Problem, TNotesProblem::None);

    const std::string line(LongestEditableLine, 'x');
    EXPECT_EQ(NotesForm(line + "\r\n" + line).Problem, TNotesProblem::None);
    EXPECT_EQ(NotesForm(line + "x\r\n").Problem, TNotesProblem::LongLine);
    EXPECT_EQ(NotesForm(line + "x\0"s).Problem, TNotesProblem::Unkeepable) << "the NUL is the first reason";
}

} // namespace
