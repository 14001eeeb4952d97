// Production notes as stored: how they break their lines and encode their characters, so that an edit is
// stored the same way and notes that an edit could not give back byte for byte are recognised.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TNotesEncoding { Utf8, Windows1252 };

enum class TNotesProblem {
    None,
    // A NUL byte, line ends of more than one kind, or bytes that are neither UTF-8 nor Windows-1252 characters.
    Unkeepable,
    // A line longer than LongestEditableLine, which no editor can wrap at once.
    LongLine,
};

inline constexpr std::size_t LongestEditableLine = 64 * 1024;

struct TNotesForm {
    // The one kind of line end the notes use; CR LF for notes without any.
    std::string LineBreak = "\r\n";
    // The notes end with a line end, which starts no further line.
    bool TrailingBreak = false;
    TNotesEncoding Encoding = TNotesEncoding::Utf8;
    TNotesProblem Problem = TNotesProblem::None;
};

TNotesForm NotesForm(std::string_view notes);

// What an editor shows of the notes: the bytes without their trailing line end.
std::string_view ShownNotes(std::string_view notes, const TNotesForm& form);

// The notes for text in the notes' encoding whose lines an editor ends with LF: each LF becomes the notes' line
// end, and the trailing one is put back.
std::string NotesBytes(std::string_view text, const TNotesForm& form);

// True for the bytes that Windows-1252 leaves without a character: 0x81, 0x8D, 0x8F, 0x90 and 0x9D.
bool IsUnassignedWindows1252(unsigned char byte);
