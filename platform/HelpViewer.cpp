#include "HelpViewer.h"

#include "BuildConfig.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/TextFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeySequence>
#include <QListWidget>
#include <QMainWindow>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <optional>

// One topic of a help file: its context number, its title and its HTML.
struct TTopic {
    int Context;
    QString Title;
    QString Body;
};

namespace {

QString ProgramDirectory;
QPointer<THelpViewer> Viewer;

// The folders searched in order: the user's current directory, then the program's folder (a build keeps the
// help file there), then the data folder of an installed copy.
QStringList HelpDirectories() {
    const QString program = ProgramDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : ProgramDirectory;
    return {QDir::currentPath(), program, QDir::cleanPath(program + "/" + InstalledDataFolder)};
}

// Any kind of entry is found, so that a help file that is a FIFO or a device is refused by name, not passed over.
QString FindIn(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (const QFileInfo exact(dir.filePath(name)); exact.exists() || exact.isSymLink())
        return dir.absoluteFilePath(name);
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(entry);
    return {};
}

QString PlainText(QStringView html) {
    return QTextDocumentFragment::fromHtml(html.toString()).toPlainText().simplified();
}

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Finds the elements <name ...>...</name> of a help file in one pass. Searches only go forward, and what the
// searches for a tag's end and for a closing tag found (or that there is none further on) is remembered, so a
// file of unclosed tags costs no second look at its text.
class TElementScanner {
public:
    struct TElement {
        QStringView Tag; // the start tag, from "<" up to its ">"
        QStringView Body;
        qsizetype End; // just past the closing tag
    };

    TElementScanner(QStringView html, QLatin1StringView name)
        : FHtml(html), FOpen(QString("<") + name), FClose(QString("</") + name) {}

    // The start of the next "<name" at or after from, or -1.
    qsizetype NextStart(qsizetype from) const {
        for (qsizetype at = FHtml.indexOf(FOpen, from, Qt::CaseInsensitive); at >= 0;
             at = FHtml.indexOf(FOpen, at + 1, Qt::CaseInsensitive)) {
            const qsizetype after = at + FOpen.size();
            if (after < FHtml.size() && !IsWordChar(FHtml[after]))
                return at;
        }
        return -1;
    }
    // The end of the start tag that begins at start, or -1 when the text has no ">" from there on.
    qsizetype TagEnd(qsizetype start) {
        if (start < FGtFrom || (FGt >= 0 && FGt < start)) {
            FGtFrom = start;
            FGt = FHtml.indexOf(u'>', start);
        }
        return FGt;
    }
    // The element whose start tag ends at tagEnd, or nothing when no closing tag follows.
    std::optional<TElement> Element(qsizetype start, qsizetype tagEnd) {
        const qsizetype from = tagEnd + 1;
        if (from < FCloseFrom || (FCloseAt >= 0 && FCloseAt < from)) {
            FCloseFrom = from;
            FindClose(from);
        }
        if (FCloseAt < 0)
            return std::nullopt;
        return TElement{FHtml.sliced(start, tagEnd + 1 - start), FHtml.sliced(from, FCloseAt - from), FCloseEnd};
    }
    // The first element at or after from.
    std::optional<TElement> First(qsizetype from) {
        const qsizetype start = NextStart(from);
        const qsizetype end = start < 0 ? -1 : TagEnd(start);
        return end < 0 ? std::nullopt : Element(start, end);
    }

private:
    // "</name", blanks, ">".
    void FindClose(qsizetype from) {
        for (FCloseAt = FHtml.indexOf(FClose, from, Qt::CaseInsensitive); FCloseAt >= 0;
             FCloseAt = FHtml.indexOf(FClose, FCloseAt + 1, Qt::CaseInsensitive)) {
            qsizetype at = FCloseAt + FClose.size();
            while (at < FHtml.size() && FHtml[at].isSpace())
                ++at;
            if (at < FHtml.size() && FHtml[at] == u'>') {
                FCloseEnd = at + 1;
                return;
            }
        }
    }

    QStringView FHtml;
    QString FOpen;
    QString FClose;
    qsizetype FGtFrom = std::numeric_limits<qsizetype>::max();
    qsizetype FGt = -1;
    qsizetype FCloseFrom = std::numeric_limits<qsizetype>::max();
    qsizetype FCloseAt = -1;
    qsizetype FCloseEnd = -1;
};

// The topics of a help file: <section id="context-N"> elements, each titled by its first <h1>.
std::vector<TTopic> ReadTopics(QStringView html) {
    static const QRegularExpression id(R"(\bid\s*=\s*["']context-(\d+)["'])",
                                       QRegularExpression::CaseInsensitiveOption);
    std::vector<TTopic> topics;
    TElementScanner sections(html, QLatin1StringView("section"));
    for (qsizetype from = 0;;) {
        const qsizetype start = sections.NextStart(from);
        const qsizetype tagEnd = start < 0 ? -1 : sections.TagEnd(start);
        if (tagEnd < 0)
            break;
        const auto match = id.match(html.sliced(start, tagEnd - start));
        if (!match.hasMatch()) {
            // Another section's start within this tag would be part of its attributes.
            from = tagEnd + 1;
            continue;
        }
        const auto section = sections.Element(start, tagEnd);
        if (!section)
            break;
        const auto title = TElementScanner(section->Body, QLatin1StringView("h1")).First(0);
        topics.push_back(
            {match.captured(1).toInt(), title ? PlainText(title->Body) : QString(), section->Body.toString()});
        from = section->End;
    }
    return topics;
}

QString StyleOf(QStringView html) {
    const auto style = TElementScanner(html, QLatin1StringView("style")).First(0);
    return style ? style->Body.toString() : QString();
}

// Shows a topic and loads what it refers to (pictures, style sheets) only from regular files of limited size in
// the help file's folder; anything else is left out, never opened.
class THelpBrowser : public QTextBrowser {
public:
    QString Folder; // the help file's folder, its symbolic links followed

    QVariant loadResource(int type, const QUrl& name) override {
        // A data: address holds its bytes itself; the document reads it without any file.
        if (name.scheme().compare("data", Qt::CaseInsensitive) == 0)
            return {};
        const std::string content = Content(name);
        if (type != QTextDocument::ImageResource)
            return QByteArray(content.data(), static_cast<qsizetype>(content.size()));
        // A picture is handed over decoded: given nothing, or bytes that are no picture, the document would open
        // the file by its name itself.
        QImage image = QImage::fromData(QByteArrayView(content.data(), static_cast<qsizetype>(content.size())));
        if (image.isNull()) {
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        return image;
    }

private:
    // The bytes of a regular file in the help file's folder that name refers to, or nothing.
    std::string Content(const QUrl& name) const {
        if (Folder.isEmpty() || !(name.scheme().isEmpty() || name.isLocalFile()))
            return {};
        const QString path = name.isLocalFile() ? name.toLocalFile() : QDir(Folder).filePath(name.path());
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty() || QFileInfo(real).absolutePath() != Folder)
            return {};
        std::string content, error;
        if (ReadRegularFile(FromQt(real), HelpResourceLimit, content, error) != TReadOutcome::Read)
            return {};
        return content;
    }
};

} // namespace

std::string FindHelpFile(const std::string& name) {
    if (name.empty())
        return {};
    for (const QString& folder : HelpDirectories())
        if (const QString found = FindIn(folder, ToQt(name)); !found.isEmpty())
            return FromQt(found);
    return {};
}

void SetProgramDirectory(const std::string& dir) {
    ProgramDirectory = ToQt(dir);
}

THelpViewer::THelpViewer() {
    setObjectName("HelpViewer");
    setWindowTitle("Brivane Help");
    resize(760, 560);
    Topics = new QListWidget;
    Topics->setObjectName("Topics");
    Topics->setAccessibleName("Help topics");
    Browser = new THelpBrowser;
    Browser->setObjectName("Browser");
    Browser->setAccessibleName("Help text");
    Browser->setOpenLinks(false);
    auto* splitter = new QSplitter;
    splitter->addWidget(Topics);
    splitter->addWidget(Browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({190, 570});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);
    connect(Browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) { LinkClicked(url); });
    connect(Topics, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!FFilling && row >= 0 && static_cast<std::size_t>(row) < FContexts.size())
            ShowContext(FName, FContexts[static_cast<std::size_t>(row)]);
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void THelpViewer::ShowContext(const std::string& file, int ctx) {
    FName = file;
    FContext = ctx;
    FTitle.clear();
    FMessage.clear();
    FFoundFile = FindHelpFile(file);
    if (FFoundFile.empty()) {
        FillContents({});
        ShowMessageText("Help file not found", "The help file \"" + file +
                                                   "\" was not found, so no help can be shown. Help looks for it in " +
                                                   FromQt(HelpDirectories().join(", ")) + ".");
        return;
    }
    std::string content, error;
    switch (ReadRegularFile(FFoundFile, HelpFileLimit, content, error)) {
    case TReadOutcome::Read:
        break;
    case TReadOutcome::NotRegular:
        return Refuse("The help file \"" + FFoundFile + "\" is not a regular file, so no help can be shown.");
    case TReadOutcome::TooLarge:
        return Refuse("The help file \"" + FFoundFile + "\" is larger than 16 MB, so no help can be shown.");
    case TReadOutcome::Failed:
        return Refuse("The help file \"" + FFoundFile + "\" could not be read: " + error + ".");
    }
    const QString html = QString::fromUtf8(content.data(), static_cast<qsizetype>(content.size()));
    content = std::string();
    const std::vector<TTopic> topics = ReadTopics(html);
    FillContents(topics);
    const QString folder = QFileInfo(QFileInfo(ToQt(FFoundFile)).canonicalFilePath()).absolutePath();
    static_cast<THelpBrowser*>(Browser)->Folder = folder;
    for (const TTopic& topic : topics) {
        if (topic.Context != ctx)
            continue;
        FTitle = FromQt(topic.Title);
        setWindowTitle("Brivane Help - " + topic.Title);
        Browser->setHtml("<html><head><style>" + StyleOf(html) + "</style></head><body>" + topic.Body +
                         "</body></html>");
        FFilling = true;
        Topics->setCurrentRow(static_cast<int>(std::find(FContexts.begin(), FContexts.end(), ctx) - FContexts.begin()));
        FFilling = false;
        return;
    }
    ShowMessageText("Help topic not found",
                    "The help file \"" + FFoundFile + "\" has no topic for context " + std::to_string(ctx) + ".");
}

void THelpViewer::Refuse(const std::string& text) {
    FillContents({});
    ShowMessageText("Help file not readable", text);
}

std::string THelpViewer::TopicText() const {
    return FromQt(Browser->toPlainText());
}

void THelpViewer::ShowMessageText(const std::string& title, const std::string& text) {
    FMessage = text;
    setWindowTitle("Brivane Help - " + ToQt(title));
    Browser->setHtml("<h2>" + ToQt(title).toHtmlEscaped() + "</h2><p>" + ToQt(text).toHtmlEscaped() + "</p>");
    FFilling = true;
    Topics->setCurrentRow(-1);
    FFilling = false;
}

void THelpViewer::FillContents(const std::vector<TTopic>& topics) {
    FFilling = true;
    FContexts.clear();
    Topics->clear();
    for (const TTopic& topic : topics) {
        FContexts.push_back(topic.Context);
        Topics->addItem(topic.Title.isEmpty() ? QString("Topic %1").arg(topic.Context) : topic.Title);
    }
    FFilling = false;
}

void THelpViewer::LinkClicked(const QUrl& url) {
    static const QRegularExpression topic(R"(^context-(\d+)$)");
    if (url.scheme().isEmpty() && url.path().isEmpty()) {
        if (const auto match = topic.match(url.fragment()); match.hasMatch())
            ShowContext(FName, match.captured(1).toInt());
        return;
    }
    OpenUrl(FromQt(url.toString()));
}

namespace {

// The program's main window, else the window in front.
QWidget* MainWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(window) && window->isVisible())
            return window;
    return QApplication::activeWindow();
}

} // namespace

void PlaceOverMainWindow(QWidget& window) {
    const QWidget* main = MainWindow();
    const QScreen* screen = main ? main->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The frame of a window not shown yet is not known: the main window's stands in for it.
    const QMargins frame = main && main->windowHandle() ? main->windowHandle()->frameMargins() : QMargins();
    const QSize inner = window.size().boundedTo(
        QSize(room.width() - frame.left() - frame.right(), room.height() - frame.top() - frame.bottom()));
    QRect outer(QPoint(), inner.grownBy(frame));
    outer.moveCenter(main ? main->frameGeometry().center() : room.center());
    // Moved as little as it takes to lie wholly on the screen, the title bar first.
    outer.moveLeft(std::max(room.left(), std::min(outer.left(), room.right() - outer.width() + 1)));
    outer.moveTop(std::max(room.top(), std::min(outer.top(), room.bottom() - outer.height() + 1)));
    window.resize(inner);
    // The position of a window is that of its frame, title bar included.
    window.move(outer.topLeft());
}

THelpViewer* HelpViewer() {
    return Viewer.data();
}

void ShowHelp(const std::string& file, int ctx) {
    if (!Viewer)
        Viewer = new THelpViewer;
    const bool open = Viewer->isVisible();
    // While a modal window is up, the viewer must belong to it, or the modal window would block it.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == Viewer)
        modal = nullptr;
    if (Viewer->parentWidget() != modal) {
        const QRect geometry = Viewer->geometry();
        Viewer->setParent(modal, Qt::Window);
        if (open)
            Viewer->setGeometry(geometry);
    }
    // An open viewer stays where the user put it.
    if (!open)
        PlaceOverMainWindow(*Viewer);
    Viewer->ShowContext(file, ctx);
    Viewer->show();
    Viewer->raise();
    Viewer->activateWindow();
}

void CloseHelpViewer() {
    delete Viewer.data();
}
