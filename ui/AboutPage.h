#pragma once

#include "ui/OrientedPropertyPage.h"

#include <string>
#include <string_view>

namespace pelmora {

// The last tab: the program's logo, icon, name and version, and the phone
// line the program listens on.
class CAboutPage final : public COrientedPropertyPage {
    Q_OBJECT
public:
    explicit CAboutPage(QWidget* parent = nullptr);

    // Names the phone line in use ("Phone line: " and the name); empty hides
    // the line. Kept across rotations.
    void SetLineBackendName(std::u16string_view name);

    static constexpr int IDC_LOGO = 1059;
    static constexpr int IDC_ICON = 1053;
    static constexpr int IDC_VERSION = 1054;
    static constexpr int IDC_LINE_BACKEND = 1070;

protected:
    bool OnInitDialog() override;
    void OnSize() override;

private:
    void ShowLineBackend();
    void FitIconToImage();

    std::u16string lineBackend_;
};

} // namespace pelmora
