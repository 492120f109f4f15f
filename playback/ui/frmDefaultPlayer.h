#pragma once
#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace quaverly::settings {
class mdlOptions;
}

namespace quaverly::playback {

/// The players window: lists the registered external players, adds one
/// (any executable file, or a desktop application entry) and removes the
/// selected one. Closing it stores the list and calls `onSaved` (the main
/// window's LoadPlayers).
class frmDefaultPlayer : public QDialog
{
    Q_OBJECT
public:
    /// Answers the chosen program file, or "" when the user cancelled.
    using FileChooser = std::function<QString(QWidget* owner)>;

    frmDefaultPlayer(settings::mdlOptions& options, std::function<void()> onSaved, QWidget* parent = nullptr);

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
    std::function<void()> m_onSaved;
    FileChooser m_choose;
    QListWidget* lstPlayers;
    QPushButton* cmdAdd;
    QPushButton* cmdRemovePlayer;
    bool m_saved = false;
};

/// The file dialog of "Add": titled "Select Media Player", offering programs
/// and desktop application entries.
[[nodiscard]] QString ChoosePlayerFile(QWidget* owner);

} // namespace quaverly::playback
