#pragma once
#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

namespace quaverly::playback {

/// The players window: lists the registered external players, adds one
/// (any executable file, or a desktop application entry; anything else is
/// refused with a message) and removes the selected one. Closing it stores
/// the list and calls `onSaved` (the main window's LoadPlayers).
class frmDefaultPlayer : public QDialog
{
    Q_OBJECT
public:
    /// Answers the chosen program file, or "" when the user cancelled.
    using FileChooser = std::function<QString(QWidget* owner)>;

    frmDefaultPlayer(settings::mdlOptions& options, ui::PromptService& prompts, std::function<void()> onSaved,
                     QWidget* parent = nullptr);

    void setFileChooser(FileChooser chooser) { m_choose = std::move(chooser); }
    [[nodiscard]] QStringList players() const;

    void cmdAdd_Click();
    void cmdRemovePlayer_Click();
    /// Stores the list and rebuilds the player menu.
    void SaveOptions();

protected:
    void done(int result) override;

private:
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    std::function<void()> m_onSaved;
    FileChooser m_choose;
    QListWidget* lstPlayers;
    QPushButton* cmdAdd;
    QPushButton* cmdRemovePlayer;
    bool m_saved = false;
};

/// The file dialog of "Add", titled "Select Media Player", starting in
/// /usr/bin: every file, filtered by "Programs (*)" (only files the user may
/// run, and folders), "All files (*)" or "Applications (*.desktop)". A chosen
/// file that is neither a program nor a desktop entry is refused with a
/// message and the dialog stays open. "" when cancelled.
[[nodiscard]] QString choosePlayerFile(QWidget* owner, ui::PromptService& prompts);
/// The message that refuses `path` as a player.
void refusePlayer(ui::PromptService& prompts, const QString& path);

} // namespace quaverly::playback
