#pragma once

#include <QComboBox>

namespace pelmora::dlg {

// The drop-down list control: a combo box that also reports when its list
// closed without the user picking an item (a pick is reported as
// `activated`, so one gesture gives one notification).
class CDropListCombo final : public QComboBox {
    Q_OBJECT
public:
    explicit CDropListCombo(QWidget* parent = nullptr);

    void hidePopup() override;

Q_SIGNALS:
    void closedUp();

private:
    bool closing_ = false;
};

} // namespace pelmora::dlg
