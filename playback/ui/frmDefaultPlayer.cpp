#include "playback/ui/frmDefaultPlayer.h"

#include "playback/ExternalPlayers.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quaverly::playback {

QString ChoosePlayerFile(QWidget* owner)
{
    QFileDialog dialog(owner, QStringLiteral("Select Media Player"), QStringLiteral("/usr/bin/"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({ QStringLiteral("Programs (*)"), QStringLiteral("Applications (*.desktop)") });
    dialog.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Executable | QDir::Readable);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

frmDefaultPlayer::frmDefaultPlayer(settings::mdlOptions& options, std::function<void()> onSaved, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
    , m_onSaved(std::move(onSaved))
    , m_choose(&ChoosePlayerFile)
{
    setObjectName(QStringLiteral("frmDefaultPlayer"));
    setWindowTitle(QStringLiteral("Players"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Please Select External Players:"), this));
    lstPlayers = new QListWidget(this);
    lstPlayers->setObjectName(QStringLiteral("lstPlayers"));
    layout->addWidget(lstPlayers);
    auto* buttons = new QHBoxLayout;
    cmdAdd = new QPushButton(QStringLiteral("Add"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdRemovePlayer = new QPushButton(QStringLiteral("Remove"), this);
    cmdRemovePlayer->setObjectName(QStringLiteral("cmdRemovePlayer"));
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdRemovePlayer);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(460, 260);
    connect(cmdAdd, &QPushButton::clicked, this, &frmDefaultPlayer::cmdAdd_Click);
    connect(cmdRemovePlayer, &QPushButton::clicked, this, &frmDefaultPlayer::cmdRemovePlayer_Click);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    lstPlayers->addItems(LoadPlayerList(m_options));
}

QStringList frmDefaultPlayer::players() const
{
    QStringList list;
    for (int i = 0; i < lstPlayers->count(); ++i)
        list.append(lstPlayers->item(i)->text());
    return list;
}

void frmDefaultPlayer::cmdAdd_Click()
{
    const QString chosen = m_choose ? m_choose(this) : QString();
    if (chosen.isEmpty() || !IsPlayerProgram(chosen))
        return;
    lstPlayers->addItem(chosen);
}

void frmDefaultPlayer::cmdRemovePlayer_Click()
{
    const int row = lstPlayers->currentRow();
    if (row >= 0 && lstPlayers->item(row)->isSelected())
        delete lstPlayers->takeItem(row);
}

void frmDefaultPlayer::SaveOptions()
{
    (void)SavePlayerList(m_options, players());
    if (m_onSaved)
        m_onSaved();
}

void frmDefaultPlayer::done(int result)
{
    if (!m_saved) {
        m_saved = true;
        SaveOptions();
    }
    QDialog::done(result);
}

} // namespace quaverly::playback
