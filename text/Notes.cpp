#include "text/Notes.h"

#include "text/Encoding.h"

#include <algorithm>

bool IsUnassignedWindows1252(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

TNotesForm NotesForm(std::string_view notes) {
    TNotesForm form;
    bool crlf = false, lf = false, cr = false, nul = false;
    std::size_t line = 0, longest = 0;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const char c = notes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < notes.size() && notes[i + 1] == '\n') {
                crlf = true;
                ++i;
            } else {
                (c == '\r' ? cr : lf) = true;
            }
            longest = std::max(longest, line);
            line = 0;
            continue;
        }
        nul = nul || c == '\0';
        ++line;
    }
    longest = std::max(longest, line);
    if (lf && !crlf && !cr)
        form.LineBreak = "\n";
    else if (cr && !crlf && !lf)
        form.LineBreak = "\r";
    form.TrailingBreak = !notes.empty() && (notes.back() == '\n' || notes.back() == '\r');
    if (!IsUtf8(notes))
        form.Encoding = TNotesEncoding::Windows1252;
    const bool unassigned = form.Encoding == TNotesEncoding::Windows1252 &&
                            std::any_of(notes.begin(), notes.end(),
                                        [](char c) { return IsUnassignedWindows1252(static_cast<unsigned char>(c)); });
    if (nul || unassigned || int(crlf) + int(lf) + int(cr) > 1)
        form.Problem = TNotesProblem::Unkeepable;
    else if (longest > LongestEditableLine)
        form.Problem = TNotesProblem::LongLine;
    return form;
}

std::string_view ShownNotes(std::string_view notes, const TNotesForm& form) {
    if (form.TrailingBreak)
        notes.remove_suffix(notes.ends_with("\r\n") ? 2 : 1);
    return notes;
}

std::string NotesBytes(std::string_view text, const TNotesForm& form) {
    std::string notes;
    notes.reserve(text.size() + text.size() / 16 + form.LineBreak.size());
    for (std::size_t from = 0;;) {
        const std::size_t end = text.find('\n', from);
        notes.append(text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (end == std::string_view::npos)
            break;
        notes += form.LineBreak;
        from = end + 1;
    }
    if (form.TrailingBreak)
        notes += form.LineBreak;
    return notes;
}
