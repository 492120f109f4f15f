#pragma once
#include "devicetools/DeviceFlags.h"
#include "ui/widgets/SkinnedWindow.h"

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

namespace quaverly::ui {
class PromptService;
}

namespace quaverly::devicetools {

/// "iPod Hacks": four switches of the iPod firmware, each an empty file in
/// iPod_Control/Device. The boxes show what is on the iPod when the window
/// opens; Apply and Reset change the files and say which ones resisted (a
/// read-only iPod) instead of failing silently.
class frmiPodHacks : public ui::SkinnedWindow
{
    Q_OBJECT
public:
    frmiPodHacks(QString iPodRoot, ui::PromptService& prompts, QWidget* parent = nullptr);

    /// The boxes in the order of kFlagFiles: chkVolt, chkSleep, chkCache, chkShowSpeed.
    std::array<QCheckBox*, kFlagCount> checkBoxes {};
    /// The captions beside them (Label1 ... Label4); a click toggles the box.
    std::array<QLabel*, kFlagCount> labels {};
    QPushButton* cmdOK;
    QPushButton* cmdApply;
    QPushButton* cmdReset;
    QPushButton* cmdCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private Q_SLOTS:
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdReset_Click();

private:
    void Form_Load();
    /// Shows what could not be changed; true when everything was.
    bool reportFailures(const FlagReport& report);

    QString m_root;
    ui::PromptService& m_prompts;
};

} // namespace quaverly::devicetools
