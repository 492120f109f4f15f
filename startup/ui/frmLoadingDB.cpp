#include "startup/ui/frmLoadingDB.h"

#include "ui/PromptService.h"
#include "ui/widgets/ProjectLinks.h"
#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPointer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

Q_LOGGING_CATEGORY(lcStartup, "quaverly.startup", QtWarningMsg)

namespace quaverly::startup {

bool wasteTimeTick(int& counter, bool loaded)
{
    const bool keepRunning = counter <= 5;
    if (loaded)
        ++counter;
    return keepRunning;
}

namespace {

QLabel* link(const QString& text, const char* name, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("<a href=\"donate\" style=\"color:#2f6fa8\">") + text.toHtmlEscaped()
                                 + QStringLiteral("</a>"),
                             parent);
    label->setObjectName(QLatin1String(name));
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

frmLoadingDB::frmLoadingDB(ui::PromptService& prompts, QWidget* parent)
    : ui::SkinnedWindow(QStringLiteral("Loading database from iPod..."), QStringLiteral("Loading Database from iPod"),
                        parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmLoadingDB"));
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(10);
    lbl = new QLabel(QStringLiteral("Please wait while the database from your iPod is read..."), body());
    lbl->setObjectName(QStringLiteral("lbl"));
    lbl->setWordWrap(true);
    lbl->setMinimumHeight(34);
    layout->addWidget(lbl);

    m_panel = new QWidget(body());
    auto* panel = new QVBoxLayout(m_panel);
    panel->setContentsMargins(0, 0, 0, 0);
    Line1 = new QFrame(m_panel);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    panel->addWidget(Line1);
    auto* row = new QHBoxLayout;
    Image1 = new ui::SkinImage(ui::SkinElement::Pod, QSize(40, 52), m_panel);
    Image1->setObjectName(QStringLiteral("Image1"));
    row->addWidget(Image1, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    Label2 = new QLabel(
        QStringLiteral("If you would like to see development on Quaverly continue, please donate a small "
                       "amount to the developers."),
        m_panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);
    texts->addWidget(Label2);
    Label1[0] = link(QStringLiteral("Click here to donate now!"), "Label1_0", m_panel);
    Label1[1] = link(QStringLiteral("Support Quaverly's Developer!"), "Label1_1", m_panel);
    texts->addWidget(Label1[0]);
    texts->addWidget(Label1[1]);
    row->addLayout(texts, 1);
    panel->addLayout(row);
    layout->addWidget(m_panel);
    setFixedWidth(420);

    for (QLabel* label : Label1)
        connect(label, &QLabel::linkActivated, this, &frmLoadingDB::OpenDonationPage);
    connect(Image1, &ui::SkinImage::clicked, this, &frmLoadingDB::OpenDonationPage);
    tmrWasteTime.setInterval(200);
    connect(&tmrWasteTime, &QTimer::timeout, this, &frmLoadingDB::tmrWasteTime_Timer);
    connect(&m_watcher, &QFutureWatcher<database::LoadResult>::finished, this, &frmLoadingDB::loadFinished);
}

frmLoadingDB::~frmLoadingDB()
{
    if (m_watcher.isRunning())
        m_watcher.waitForFinished();
}

void frmLoadingDB::LoadDB(const QString& dbPath, const QString& iPodRoot)
{
    m_panelShown = m_today.month() >= 2;
    m_panel->setVisible(m_panelShown);
    if (m_panelShown)
        tmrWasteTime.start();
    adjustSize();
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Status texts come from the worker thread: hand them to this window's thread.
    QPointer<QLabel> status = lbl;
    auto report = [status](const QString& text) {
        QMetaObject::invokeMethod(
            status.data(),
            [status, text] {
                if (status)
                    status->setText(text);
            },
            Qt::QueuedConnection);
    };
    m_watcher.setFuture(
        QtConcurrent::run([dbPath, iPodRoot, report] { return database::LoadiTunesDB(dbPath, iPodRoot, report); }));
}

void frmLoadingDB::loadFinished()
{
    auto result = std::make_shared<database::LoadResult>(m_watcher.future().takeResult());
    m_loaded = true;
    reportProblems(*result);
    lbl->setText(QStringLiteral("Loading main Quaverly interface!"));
    lbl->repaint();
    Q_EMIT loaded(result);
}

void frmLoadingDB::mainWindowLoaded()
{
    m_mainLoaded = true;
    lbl->setText(QStringLiteral("Starting Quaverly!"));
    lbl->repaint();
    finishWhenHeld();
}

void frmLoadingDB::tmrWasteTime_Timer()
{
    if (!wasteTimeTick(m_ticks, m_loaded)) {
        tmrWasteTime.stop();
        finishWhenHeld();
    }
}

void frmLoadingDB::finishWhenHeld()
{
    if (m_finished || !m_mainLoaded || tmrWasteTime.isActive())
        return;
    m_finished = true;
    QApplication::restoreOverrideCursor();
    Q_EMIT finished();
    close();
}

void frmLoadingDB::OpenDonationPage()
{
    // The program outlives this window, so a late failure is still shown.
    ui::links::openProjectPage(m_prompts, QStringLiteral("Donate"), qApp);
}

void frmLoadingDB::reportProblems(const database::LoadResult& result)
{
    for (const QString& warning : result.warnings)
        qCWarning(lcStartup).noquote() << warning;
    // The README beside the program says how to reach the developers.
    const QString contact = QStringLiteral("the Quaverly developers (the README that comes with Quaverly says how)");
    if (result.error != database::LoadError::None) {
        ui::PromptRequest request { QStringLiteral("Error with iTunesDB"),
                                    result.errorText
                                        + QStringLiteral("\r\nQuaverly starts with an empty library. If your iPod "
                                                         "plays its songs, please report this to ")
                                        + contact + QStringLiteral("."),
                                    ui::PromptIcon::Critical,
                                    ui::PromptButtons::Ok,
                                    {} };
        m_prompts.ask(request);
        return;
    }
    if (result.unknownChunks > 0 || result.damaged) {
        ui::PromptRequest request {
            QStringLiteral("Error with iTunesDB"),
            QStringLiteral("For some reason, extra information unknown in the iTunesDB file was found. This may be due "
                           "to a newer version of iTunesDB or because your iTunesDB is corrupted. Please contact ")
                + contact
                + QStringLiteral(", and we will try to fix the program accordingly, or make sure your iTunesDB is not "
                                 "corrupted."),
            ui::PromptIcon::Critical, ui::PromptButtons::Ok, result.warnings.join(QLatin1Char('\n'))
        };
        m_prompts.ask(request);
    }
    for (const QString& error : result.onTheGoErrors) {
        const QString text = error.startsWith(QLatin1String("Error in LoadOnTheGo: "))
            ? error
            : QStringLiteral("Error in LoadOnTheGo: ") + error;
        m_prompts.show(QStringLiteral("Error"), text, ui::PromptIcon::Critical);
    }
}

} // namespace quaverly::startup
