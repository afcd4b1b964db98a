#include "app/MonitorDlg.h"
#include "messages/AddEditMessagesDlg.h"
#include "messages/InsertVariableDlg.h"
#include "messages/MainPage.h"
#include "messages/NewPresetDlg.h"
#include "messages/TemplateStore.h"
#include "platform/framework/ScreenModel.h"
#include "resources/Resources.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/TestSupport.h"
#include "ui/PageTabCtrl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <functional>

using namespace pelmora;

// The Main page and the message dialogs on the phone screen, in both
// orientations: every text fits its control, no two visible controls
// overlap and everything lies inside the window. With PELMORA_SCREENSHOT_DIR
// set, each layout is also written there as a PNG to look at.

namespace {

QString Caption(const QString& text)
{
    QString plain = text;
    return plain.remove(QLatin1Char('&'));
}

// Why a control's text does not fit, or empty.
std::string TextProblem(const QWidget* control)
{
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        if (label->text().isEmpty())
            return {};
        const QFontMetrics metrics(label->font());
        for (const QString& word : label->text().split(QLatin1Char(' ')))
            if (metrics.horizontalAdvance(word) > label->width())
                return "word '" + word.toStdString() + "' is wider than its label";
        if (label->heightForWidth(label->width()) > label->height())
            return "text is higher than its label";
        return {};
    }
    if (auto* check = qobject_cast<const QCheckBox*>(control)) {
        if (check->sizeHint().width() > check->width()
            || check->sizeHint().height() > check->height())
            return "check box text does not fit";
        return {};
    }
    if (auto* button = qobject_cast<const QPushButton*>(control)) {
        const QStyle* style = button->style();
        const int frame = 2
            * (style->pixelMetric(QStyle::PM_ButtonMargin)
                + style->pixelMetric(QStyle::PM_DefaultFrameWidth));
        const QFontMetrics metrics(button->font());
        if (metrics.horizontalAdvance(Caption(button->text())) + frame > button->width()
            || metrics.height() + 4 > button->height())
            return "button caption does not fit";
        return {};
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        if (combo->sizeHint().width() > combo->width())
            return "an item is wider than the drop-down list";
    }
    return {};
}

void CheckLayout(const dlg::CDialog& window, const std::string& what)
{
    std::vector<std::pair<int, QWidget*>> shown;
    for (const auto& [id, control] : window.Controls())
        if (!control->isHidden())
            shown.emplace_back(id, control);
    for (const auto& [id, control] : shown) {
        EXPECT_TRUE(window.rect().contains(control->geometry()))
            << what << ": control " << id << " leaves the window";
        const std::string problem = TextProblem(control);
        EXPECT_TRUE(problem.empty()) << what << ": control " << id << ": " << problem;
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i].second->geometry().intersects(shown[j].second->geometry()))
                << what << ": controls " << shown[i].first << " and " << shown[j].first
                << " overlap";
}

void Screenshot(QWidget& window, const std::string& name)
{
    const QByteArray dir = qgetenv("PELMORA_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    window.show();
    QApplication::processEvents();
    window.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QString::fromStdString(name)
        + QStringLiteral(".png"));
}

class MessageLayout : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
        if (GetParam())
            dlg::ScreenModel::Instance().Rotate();
    }
    void TearDown() override
    {
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
        ResetTemplateStore();
        ResetProfileStore();
    }
    std::string Orientation() const { return GetParam() ? "landscape" : "portrait"; }
    // Fits the phone screen, which a dialog's caption shares with it.
    void ExpectOnScreen(const QWidget& window, const std::string& what) const
    {
        const QSize screen = dlg::ScreenModel::Instance().Size();
        EXPECT_LE(window.width(), screen.width()) << what;
        EXPECT_LE(window.height(), screen.height() - 24) << what;
    }
    test::ScratchDir dir;
};

} // namespace

TEST_P(MessageLayout, MainPageInTheMainWindow)
{
    CMonitorDlg window(dir.Path());
    ASSERT_TRUE(window.Create(nullptr));
    window.show();
    CMainPage* page = window.MainPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->IsLandscapeLayout(), GetParam());
    CheckLayout(*page, "Main page " + Orientation());
    const QRect pageArea = page->geometry();
    EXPECT_TRUE(window.rect().contains(pageArea));
    EXPECT_LE(pageArea.bottom(), window.Tabs()->GetItemRect(0).top())
        << "the page ends above the tabs";
    Screenshot(window, "main-" + Orientation());

    // Turned while shown: the other template's layout holds as well.
    dlg::ScreenModel::Instance().Rotate();
    EXPECT_NE(page->IsLandscapeLayout(), GetParam());
    CheckLayout(*page, "Main page turned from " + Orientation());
    dlg::ScreenModel::Instance().Rotate();
}

TEST_P(MessageLayout, MessageEditor)
{
    AppendTemplate(u"Default", kDefaultTemplateText);
    CAddEditMessagesDlg editor;
    ASSERT_TRUE(editor.Create(nullptr));
    EXPECT_EQ(editor.TemplateId() == IDD_ADDEDIT_MESSAGES_L, GetParam());
    editor.ComboSetCurSel(CAddEditMessagesDlg::IDC_PRESETS, 0);
    editor.SetDlgItemText(CAddEditMessagesDlg::IDC_MESSAGE, kDefaultTemplateText);
    CheckLayout(editor, "message editor " + Orientation());
    ExpectOnScreen(editor, "message editor");
    Screenshot(editor, "editor-" + Orientation());
}

TEST_P(MessageLayout, PresetNameAndVariableDialogs)
{
    CNewPresetDlg name;
    ASSERT_TRUE(name.Create(nullptr));
    name.SetDlgItemText(CNewPresetDlg::IDC_NAME, u"Meeting");
    CheckLayout(name, "preset name " + Orientation());
    ExpectOnScreen(name, "preset name");
    Screenshot(name, "preset-name-" + Orientation());

    CInsertVariableDlg variables;
    ASSERT_TRUE(variables.Create(nullptr));
    CheckLayout(variables, "insert variable " + Orientation());
    ExpectOnScreen(variables, "insert variable");
    Screenshot(variables, "insert-variable-" + Orientation());
}

INSTANTIATE_TEST_SUITE_P(Orientations, MessageLayout, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) {
        return info.param ? std::string("Landscape") : std::string("Portrait");
    });
