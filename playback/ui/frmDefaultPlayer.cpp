#include "playback/ui/frmDefaultPlayer.h"

#include "playback/ExternalPlayers.h"
#include "ui/PromptService.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QVBoxLayout>

namespace quaverly::playback {

namespace {

const QString kProgramsFilter = QStringLiteral("Programs (*)");
const QString kAllFilesFilter = QStringLiteral("All files (*)");
const QString kApplicationsFilter = QStringLiteral("Applications (*.desktop)");

/// Under the "Programs" filter, only folders and files the user may run are
/// listed; under the others, whatever their name patterns pass.
class ProgramsOnly : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setActive(bool active)
    {
        if (active == m_active)
            return;
        m_active = active;
        invalidateFilter();
    }

protected:
    [[nodiscard]] bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!m_active || !files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        if (files->isDir(index))
            return true;
        const QFileInfo info = files->fileInfo(index); // follows links, as running it would
        return info.isFile() && info.isExecutable();
    }

private:
    bool m_active = true;
};

/// Keeps the dialog open, with a message, when the chosen file is not a program.
class PlayerFileDialog : public QFileDialog
{
public:
    PlayerFileDialog(QWidget* owner, ui::PromptService& prompts)
        : QFileDialog(owner, QStringLiteral("Select Media Player"), QStringLiteral("/usr/bin/"))
        , m_prompts(prompts)
    {
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        const QFileInfo info(chosen.value(0));
        if (chosen.size() == 1 && info.isFile() && !isPlayerProgram(info.filePath())) {
            refusePlayer(m_prompts, info.filePath());
            return;
        }
        QFileDialog::accept();
    }

private:
    ui::PromptService& m_prompts;
};

} // namespace

void refusePlayer(ui::PromptService& prompts, const QString& path)
{
    prompts.show(QStringLiteral("Select Media Player"),
                 QStringLiteral("%1 cannot be added as a player: it is not a program that may be run (the file is "
                                "not marked as executable) nor an application's desktop entry (.desktop).\n\n"
                                "Choose the player's program file, for example in /usr/bin, or make your own "
                                "script executable first (chmod +x).")
                     .arg(QDir::toNativeSeparators(path)),
                 ui::PromptIcon::Warning);
}

QString choosePlayerFile(QWidget* owner, ui::PromptService& prompts)
{
    PlayerFileDialog dialog(owner, prompts);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true); // the filter below needs the Qt dialog
    dialog.setFileMode(QFileDialog::ExistingFile);
    auto* programs = new ProgramsOnly(&dialog);
    dialog.setProxyModel(programs);
    dialog.setNameFilters({ kProgramsFilter, kAllFilesFilter, kApplicationsFilter });
    QObject::connect(&dialog, &QFileDialog::filterSelected, programs,
                     [programs](const QString& filter) { programs->setActive(filter == kProgramsFilter); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

frmDefaultPlayer::frmDefaultPlayer(settings::mdlOptions& options, ui::PromptService& prompts,
                                   std::function<void()> onSaved, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
    , m_prompts(prompts)
    , m_onSaved(std::move(onSaved))
    , m_choose([this](QWidget* owner) { return choosePlayerFile(owner, m_prompts); })
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
    lstPlayers->addItems(loadPlayerList(m_options));
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
    if (chosen.isEmpty())
        return;
    if (!isPlayerProgram(chosen)) {
        refusePlayer(m_prompts, chosen);
        return;
    }
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
    (void)savePlayerList(m_options, players());
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
