#include "ScriptedDialogs.h"

#include <QDialog>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace {

// The next answer of a queue of texts; nothing for an empty queue or a Cancel.
std::optional<std::string> TakeAnswer(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty())
        return std::nullopt;
    auto answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

// With BRIVANE_TEST_SHOW_DIALOGS set, every message and error also goes to the test's output, so a failure far
// from the assertion that catches it can be read off the log.
void Trace(const char* kind, const std::string& text) {
    if (std::getenv("BRIVANE_TEST_SHOW_DIALOGS"))
        std::fprintf(stderr, "[%s] %s\n", kind, text.c_str());
}

} // namespace

ScriptedDialogs::ScriptedDialogs() {
    SetDialogService(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    SetDialogService(nullptr);
}

void ScriptedDialogs::ShowMessage(const std::string& text) {
    Trace("message", text);
    Messages.push_back(text);
}

bool ScriptedDialogs::ConfirmYesNo(const std::string& text) {
    Questions.push_back(text);
    if (YesNoAnswers.empty())
        return false;
    const bool answer = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return answer;
}

bool ScriptedDialogs::AskText(const std::string& caption, const std::string& prompt, std::string& value) {
    Prompts.push_back(caption + "|" + prompt);
    PromptTexts.push_back(value);
    const auto answer = TakeAnswer(TextAnswers);
    if (!answer)
        return false;
    value = answer->substr(0, 255);
    return true;
}

void ScriptedDialogs::ShowModal(QDialog& window) {
    const std::string name = window.objectName().toStdString();
    Shown.push_back(name);
    // Shown and active as a modal window is, so that leaving a field by Tab or a click converts its text.
    window.show();
    window.activateWindow();
    (void)QTest::qWaitForWindowActive(&window, 1000);
    if (auto script = Scripts.find(name); script != Scripts.end())
        script->second(window);
    if (window.isVisible())
        window.hide();
}

void ScriptedDialogs::ShowError(const std::string&, const std::string& text) {
    Trace("error", text);
    Errors.push_back(text);
}

bool ScriptedDialogs::ExecPrintDialog(QPrinter& printer) {
    ++PrintDialogs;
    return PrintScript ? PrintScript(printer) : false;
}

void ScriptedDialogs::OpenUrl(const std::string& url) {
    OpenedUrls.push_back(url);
}

bool ScriptedDialogs::OpenFileName(const std::string& caption, const std::string& filter, std::string& fileName) {
    FileDialogs.push_back(caption + "|" + filter);
    const auto answer = TakeAnswer(FileAnswers);
    if (!answer)
        return false;
    fileName = *answer;
    return true;
}

bool ScriptedDialogs::SaveFileName(const std::string& caption, const std::string& filter,
                                   const std::string& defaultName, std::string& fileName) {
    SaveDialogs.push_back(caption + "|" + filter + "|" + defaultName);
    const auto answer = TakeAnswer(SaveAnswers);
    if (!answer)
        return false;
    fileName = answer->empty() ? defaultName : *answer;
    return true;
}

void ScriptedDialogs::Clear() {
    Messages.clear();
    Questions.clear();
    Prompts.clear();
    PromptTexts.clear();
    Errors.clear();
    Shown.clear();
    OpenedUrls.clear();
    PrintDialogs = 0;
    FileDialogs.clear();
    SaveDialogs.clear();
}
