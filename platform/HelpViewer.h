// The help viewer: a window of its own, never blocking the program, that shows the topic of one context
// number from a help file. A help file is an HTML file whose topics are <section id="context-N"> elements,
// each with its title in an <h1>.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QListWidget;
class QTextBrowser;
struct TTopic;

// A help file larger than this is refused, and so is a picture or style sheet it refers to larger than the other.
inline constexpr std::size_t HelpFileLimit = 16u << 20;
inline constexpr std::size_t HelpResourceLimit = 4u << 20;

// Where the help file called name is: the current directory first, then the copy installed with the
// program, beside the executable or in <executable's directory>/../share/brivane. Help file names match
// ignoring case ("Brivane.HLP" finds BRIVANE.HLP).
// Empty when there is none.
std::string FindHelpFile(const std::string& name);
// Takes dir as the executable's directory when looking for the installed copy; empty returns to the
// real one. Lets tests lay out an installation.
void SetProgramDirectory(const std::string& dir);

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    THelpViewer();
    // Shows the topic of context ctx from the help file called file, or the viewer's own message why it
    // cannot: no such file, a file that is not a regular one, too large or unreadable, no such topic.
    void ShowContext(const std::string& file, int ctx);

    // What is on display: the file found (empty when none), the context asked for, the topic's title
    // and plain text, and the message shown instead of a topic (empty when a topic is shown).
    const std::string& FoundFile() const { return FFoundFile; }
    int Context() const { return FContext; }
    const std::string& TopicTitle() const { return FTitle; }
    std::string TopicText() const;
    const std::string& Message() const { return FMessage; }
    // The context numbers of the file's topics, in the file's order, as the contents list shows them.
    const std::vector<int>& Contexts() const { return FContexts; }

    QTextBrowser* Browser = nullptr;
    QListWidget* Topics = nullptr;

private:
    void ShowMessageText(const std::string& title, const std::string& text);
    void FillContents(const std::vector<TTopic>& topics);
    void Refuse(const std::string& text);
    void LinkClicked(const QUrl& url);

    std::string FName;
    std::string FFoundFile;
    int FContext = 0;
    std::string FTitle;
    std::string FMessage;
    std::vector<int> FContexts;
    bool FFilling = false;
};

// Sizes and moves a window about to open so that it lies centred over the main window, wholly on the screen with
// its frame and title bar.
void PlaceOverMainWindow(QWidget& window);
// The program's one help viewer, or null before the first request.
THelpViewer* HelpViewer();
// Asks the viewer for the topic and brings it to the front; the viewer is made on first use.
void ShowHelp(const std::string& file, int ctx);
// Closes and frees the viewer; the next request makes a new one.
void CloseHelpViewer();
