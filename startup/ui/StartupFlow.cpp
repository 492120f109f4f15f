#include "startup/ui/StartupFlow.h"

#include "settings/mdlOptions.h"
#include "startup/ui/frmInit.h"
#include "startup/ui/frmLoadingDB.h"

#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

namespace quaverly::startup {

StartupFlow::StartupFlow(ui::PromptService& prompts, MainWindowFactory factory, QObject* parent)
    : QObject(parent)
    , m_prompts(prompts)
    , m_factory(std::move(factory))
{
}

StartupFlow::~StartupFlow()
{
    delete m_main.data(); // before the library and options it refers to
    delete m_loading.data();
    delete m_init.data();
}

void StartupFlow::start(const QString& commandLine, std::vector<QString> roots, const QString& programDir)
{
    m_clock.start();
    m_init = new frmInit(m_prompts);
    m_init->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_init, &frmInit::found, this, &StartupFlow::onFound);
    connect(m_init, &frmInit::notFound, this, &StartupFlow::ended);
    connect(m_init, &frmInit::updateChosen, this, &StartupFlow::ended);
    m_init->Form_Load(commandLine, std::move(roots), programDir, m_installUpdates);
}

void StartupFlow::onFound(const device::FindResult& found)
{
    m_iPodRoot = found.iPodRoot;
    m_busy = true;
    m_loading = new frmLoadingDB(m_prompts);
    m_loading->setAttribute(Qt::WA_DeleteOnClose);
    m_loading->setToday(m_today);
    connect(m_loading, &frmLoadingDB::loaded, this, &StartupFlow::onLoaded);
    connect(m_loading, &frmLoadingDB::finished, this, &StartupFlow::onLoadingFinished);
    m_loading->LoadDB(found.dbPath, found.iPodRoot);
}

bool StartupFlow::openIpod(const QString& root)
{
    if (m_busy)
        return false; // a load is under way already
    const std::optional<device::FindResult> found = device::StartFindiPod(root, {});
    if (!found)
        return false;
    QMetaObject::invokeMethod(
        this, [this, found = *found] { replaceIpod(found); }, Qt::QueuedConnection);
    return true;
}

void StartupFlow::replaceIpod(const device::FindResult& found)
{
    if (m_busy)
        return;
    qCInfo(lcStartup) << "opening the iPod at" << found.iPodRoot;
    m_clock.start();
    delete m_main.data(); // before the library and options it refers to
    m_options.reset();
    m_load.reset();
    onFound(found);
}

void StartupFlow::onLoaded(std::shared_ptr<database::LoadResult> result)
{
    m_load = std::move(result);
    qCInfo(lcStartup) << "database loaded after" << m_clock.elapsed() << "ms";
    if (m_load->library.iPodRoot.isEmpty())
        m_load->library.iPodRoot = m_iPodRoot;
    m_options = std::make_unique<settings::mdlOptions>(m_load->library.iPodRoot);
    m_main = m_factory(*m_load, *m_options, m_prompts);
    m_mainLoadedAt = m_clock.elapsed();
    qCInfo(lcStartup) << "main window loaded after" << m_mainLoadedAt << "ms";
    m_loading->mainWindowLoaded();
}

void StartupFlow::onLoadingFinished()
{
    m_busy = false;
    m_heldMs = m_clock.elapsed() - m_mainLoadedAt;
    if (m_main) {
        m_main->installEventFilter(this);
        m_main->show();
    }
    m_startupMs = m_clock.elapsed() - m_heldMs;
    Q_EMIT mainWindowShown(m_main);
}

bool StartupFlow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_main && event->type() == QEvent::Close) {
        // The window decides whether it closes; look once it has.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_main && !m_main->isVisible())
                    Q_EMIT mainWindowClosed();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quaverly::startup
