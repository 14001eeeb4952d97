#include "HelpViewer.h"

#include "BuildConfig.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>

namespace {

QString ProgramDirectory;
QPointer<THelpViewer> Viewer;

constexpr auto Pattern = QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;

// The folders searched in order: the user's current directory, then the program's folder (a build keeps the
// help file there), then the data folder of an installed copy.
QStringList HelpDirectories() {
    const QString program = ProgramDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : ProgramDirectory;
    return {QDir::currentPath(), program, QDir::cleanPath(program + "/" + InstalledDataFolder)};
}

QString FindIn(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return dir.absoluteFilePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(entry);
    return {};
}

struct TTopic {
    int Context;
    QString Title;
    QString Body;
};

QString PlainText(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
}

std::vector<TTopic> ReadTopics(const QString& html) {
    static const QRegularExpression section(
        R"(<section\b[^>]*\bid\s*=\s*["']context-(\d+)["'][^>]*>(.*?)</section\s*>)", Pattern);
    static const QRegularExpression heading(R"(<h1\b[^>]*>(.*?)</h1\s*>)", Pattern);
    std::vector<TTopic> topics;
    for (auto it = section.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        const QString body = match.captured(2);
        const auto title = heading.match(body);
        topics.push_back(
            {match.captured(1).toInt(), title.hasMatch() ? PlainText(title.captured(1)) : QString(), body});
    }
    return topics;
}

QString StyleOf(const QString& html) {
    static const QRegularExpression style(R"(<style\b[^>]*>(.*?)</style\s*>)", Pattern);
    const auto match = style.match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

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
    Browser = new QTextBrowser;
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
    QFile in(ToQt(FFoundFile));
    if (!in.open(QIODevice::ReadOnly)) {
        FillContents({});
        ShowMessageText("Help file not readable",
                        "The help file \"" + FFoundFile + "\" could not be read: " + FromQt(in.errorString()) + ".");
        return;
    }
    const QString html = QString::fromUtf8(in.readAll());
    FillContents(html);
    for (const TTopic& topic : ReadTopics(html)) {
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

void THelpViewer::FillContents(const QString& html) {
    FFilling = true;
    FContexts.clear();
    Topics->clear();
    for (const TTopic& topic : ReadTopics(html)) {
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

THelpViewer* HelpViewer() {
    return Viewer.data();
}

void ShowHelp(const std::string& file, int ctx) {
    if (!Viewer)
        Viewer = new THelpViewer;
    // While a modal window is up, the viewer must belong to it, or the modal window would block it.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == Viewer)
        modal = nullptr;
    if (Viewer->parentWidget() != modal) {
        const QRect geometry = Viewer->geometry();
        Viewer->setParent(modal, Qt::Window);
        Viewer->setGeometry(geometry);
    }
    Viewer->ShowContext(file, ctx);
    Viewer->show();
    Viewer->raise();
    Viewer->activateWindow();
}

void CloseHelpViewer() {
    delete Viewer.data();
}
