#include "playback/ui/frmQuicktime.h"

#include "playback/AudioEngine.h"

#include <QGuiApplication>
#include <QVBoxLayout>

namespace quaverly::playback {

frmQuicktime::frmQuicktime(AudioEngine& engine, QWidget* parent)
    : frmQuicktime(engine, chooseVideoRoute(QGuiApplication::platformName()), parent)
{
}

frmQuicktime::frmQuicktime(AudioEngine& engine, VideoRoute route, QWidget* parent)
    : QWidget(parent)
    , m_engine(&engine)
{
    setObjectName(QStringLiteral("frmQuicktime"));
    QT = new QWidget(this);
    QT->setObjectName(QStringLiteral("QT"));
    QT->setAttribute(Qt::WA_NativeWindow);
    QT->setAttribute(Qt::WA_DontCreateNativeAncestors);
    QT->setStyleSheet(QStringLiteral("background: black"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(QT);
    resize(320, 240);

    if (route == VideoRoute::Embedded) {
        // The engine hands the surface to the second player once it has started.
        engine.setVideoWindow(static_cast<quintptr>(QT->winId()));
        m_attached = true;
    }
    connect(&engine, &AudioEngine::stateChanged, this, &frmQuicktime::followEngine);
    followEngine();
}

frmQuicktime::~frmQuicktime()
{
    if (m_attached && m_engine != nullptr)
        m_engine->setVideoWindow(0); // the surface goes away with this window
}

void frmQuicktime::followEngine()
{
    const BackendState state = m_engine->state();
    setVisible(m_attached && m_engine->secondPlayerActive()
               && (state == BackendState::Playing || state == BackendState::Paused || state == BackendState::Loading));
}

} // namespace quaverly::playback
