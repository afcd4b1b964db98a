#include "messages/AddEditMessagesDlg.h"
#include "messages/InsertVariableDlg.h"
#include "messages/NewPresetDlg.h"
#include "messages/TemplateStore.h"
#include "messages/VariableExpansion.h"
#include "platform/shell/ShellServices.h"
#include "platform/shell/SoftKeyboard.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "tests/TestSupport.h"
#include "ui/AutoSIPEdit.h"
#include "ui/SaveAllTarget.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace pelmora;

namespace {

constexpr char16_t kTooLong[] = u"Message text is too long, it has been automatically cut";
constexpr char16_t kNotSaved[]
    = u"Message not saved, are you sure you want to exit the Message window?";

// The main window as the editor sees it: counts the saves and writes the
// templates file.
class CountingSaver final : public SaveAllTarget {
public:
    explicit CountingSaver(std::filesystem::path dir)
        : dir_(std::move(dir))
    {
    }
    void SaveAll() override
    {
        ++calls;
        SaveTemplates(dir_);
    }
    int calls = 0;

private:
    std::filesystem::path dir_;
};

// Types text the way a keyboard does, character by character, where the
// caret is.
void TypeAtCaret(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// The user taps behind the last character, then types.
void Type(QPlainTextEdit* edit, const QString& text)
{
    edit->moveCursor(QTextCursor::End);
    TypeAtCaret(edit, text);
}

QString Q(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text));
}

class MessageEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        ResetProfileStore();
        ResetGroupStore();
        ConnectProfilesToStores();
        AppendTemplate(u"Default", kDefaultTemplateText); // id 1
        AppendTemplate(u"Meeting", u"In a meeting, [FIRSTNAME]."); // id 2
        SetSoftKeyboard(&keyboard);
        SetProcessLauncher([this](const std::u16string&, const std::u16string& line) {
            helpLines.push_back(line);
            return true;
        });
        dlg::SetModalHandler([this](dlg::CDialog& shown) { return Answer(shown); });
    }
    void TearDown() override
    {
        dlg::SetModalHandler(nullptr);
        SetProcessLauncher(nullptr);
        SetSoftKeyboard(nullptr);
        ResetTemplateStore();
        ResetProfileStore();
    }

    // Answers the dialogs the editor opens, and runs `onEditor` when the
    // editor itself is shown modally.
    int Answer(dlg::CDialog& shown)
    {
        if (auto* name = dynamic_cast<CNewPresetDlg*>(&shown)) {
            proposedNames.push_back(name->GetDlgItemText(CNewPresetDlg::IDC_NAME));
            if (!typedName)
                return dlg::IDCANCEL;
            name->SetDlgItemText(CNewPresetDlg::IDC_NAME, *typedName);
            name->RouteCommand(dlg::IDOK);
            return name->result();
        }
        if (auto* variables = dynamic_cast<CInsertVariableDlg*>(&shown)) {
            variables->ListBoxSetCurSel(CInsertVariableDlg::IDC_VARIABLES, variableRow);
            variables->RouteCommand(dlg::IDOK);
            return variables->result() == dlg::IDOK ? dlg::IDOK : dlg::IDCANCEL;
        }
        if (auto* opened = dynamic_cast<CAddEditMessagesDlg*>(&shown)) {
            onEditor(*opened);
            return opened->result();
        }
        return dlg::IDCANCEL;
    }

    // An editor opened as the Profile page opens it, left open for the test.
    CAddEditMessagesDlg& Open()
    {
        editor = std::make_unique<CAddEditMessagesDlg>();
        editor->mainWindow = &saver;
        EXPECT_TRUE(editor->Create(nullptr));
        editor->show();
        return *editor;
    }
    QPlainTextEdit* Text() const
    {
        return editor->Control<QPlainTextEdit>(CAddEditMessagesDlg::IDC_MESSAGE);
    }
    QComboBox* Presets() const
    {
        return editor->Control<QComboBox>(CAddEditMessagesDlg::IDC_PRESETS);
    }
    std::u16string Counter() const
    {
        return editor->GetDlgItemText(CAddEditMessagesDlg::IDC_LENGTH) + u"/"
            + editor->GetDlgItemText(CAddEditMessagesDlg::IDC_MAXIMUM);
    }
    // The user picks preset `index` with the keyboard.
    void Choose(int index)
    {
        while (Presets()->currentIndex() < index)
            QTest::keyClick(Presets(), Qt::Key_Down);
        while (Presets()->currentIndex() > index)
            QTest::keyClick(Presets(), Qt::Key_Up);
    }

    test::ScratchDir dir;
    CountingSaver saver {dir.Path()};
    SimulatedSoftKeyboard keyboard;
    std::unique_ptr<CAddEditMessagesDlg> editor;
    std::optional<std::u16string> typedName;
    std::vector<std::u16string> proposedNames;
    int variableRow = -1;
    std::function<void(CAddEditMessagesDlg&)> onEditor = [](CAddEditMessagesDlg&) {};
    std::vector<std::u16string> helpLines;
};

} // namespace

TEST_F(MessageEditorTest, OpensWithThePresetsAndAnEmptyText)
{
    Open();
    ASSERT_EQ(Presets()->count(), 2) << "no \"<do not send>\" item";
    EXPECT_EQ(Presets()->itemText(0), QStringLiteral("Default"));
    EXPECT_EQ(Presets()->itemText(1), QStringLiteral("Meeting"));
    EXPECT_EQ(Presets()->currentIndex(), -1);
    EXPECT_EQ(Text()->toPlainText(), QString());
    EXPECT_EQ(Counter(), u"/160") << "the template's texts until the first change";
    EXPECT_FALSE(editor->IsModified());
    EXPECT_NE(CAutoSIPEdit::Of(Text()), nullptr) << "the text field raises the keyboard";
}

TEST_F(MessageEditorTest, TypingCountsEveryCharacterAgainstItsClass)
{
    Open();
    Type(Text(), QStringLiteral("H"));
    EXPECT_EQ(Counter(), u"1/160");
    Type(Text(), QStringLiteral("i"));
    EXPECT_EQ(Counter(), u"2/160");
    EXPECT_TRUE(editor->IsModified());
    Type(Text(), QStringLiteral("\u00e9"));
    EXPECT_EQ(Counter(), u"3/140");
    Type(Text(), QStringLiteral("\u20ac"));
    EXPECT_EQ(Counter(), u"4/70");
    Type(Text(), QStringLiteral("[FULLNAME]"));
    EXPECT_EQ(Counter(), u"37/70") << "a variable counts as its sample";
}

TEST_F(MessageEditorTest, TextOverTheLimitIsCutWithAMessage)
{
    test::ScriptedMessageBoxes boxes;
    Open();
    Text()->setPlainText(QString(160, QLatin1Char('a')));
    EXPECT_EQ(Counter(), u"160/160");
    EXPECT_TRUE(boxes.Shown().empty());

    Type(Text(), QStringLiteral("b"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, kTooLong);
    EXPECT_EQ(boxes.Shown()[0].title, u"Too long");
    EXPECT_EQ(boxes.Shown()[0].buttons, dlg::MessageButtons::Ok);
    EXPECT_EQ(Text()->toPlainText(), QString(160, QLatin1Char('a')));
    EXPECT_EQ(Counter(), u"160/160");

    // One character above U+00FF lowers the limit to 70 at once.
    Type(Text(), QStringLiteral("\u20ac"));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(Text()->toPlainText(), QString(70, QLatin1Char('a')));
    EXPECT_EQ(Counter(), u"70/70");

    // The 33-character sample of "[FULLNAME]" makes 23 typed characters go.
    Text()->setPlainText(QStringLiteral("[FULLNAME]") + QString(150, QLatin1Char('x')));
    EXPECT_EQ(Text()->toPlainText(), QStringLiteral("[FULLNAME]") + QString(127, QLatin1Char('x')));
    EXPECT_EQ(Counter(), u"137/160") << "the cut text's own length is shown";
}

TEST_F(MessageEditorTest, CutInsideAVariableCutsAgainUntilTheTextFits)
{
    struct Case {
        int plain;
        const char* variable;
    };
    for (const Case c : {Case {157, "[TITLE]"}, Case {155, "[MIDDLENAME]"}}) {
        test::ScriptedMessageBoxes boxes;
        Open();
        Text()->setPlainText(QString(c.plain, QLatin1Char('a')) + QLatin1String(c.variable));
        EXPECT_EQ(boxes.Shown().size(), 1u) << "said once";
        EXPECT_TRUE(Text()->toPlainText().startsWith(QString(c.plain, QLatin1Char('a'))));
        EXPECT_LE(EstimateMessageLength(Text()->toPlainText().toStdU16String()).length, 160);
        EXPECT_EQ(Counter().substr(Counter().find(u'/')), u"/160");
    }
}

TEST_F(MessageEditorTest, OneUndoBringsBackTheTextBeforeTheCut)
{
    test::ScriptedMessageBoxes boxes;
    Open();
    Choose(0);
    Type(Text(), QStringLiteral("א"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    ASSERT_LT(Text()->toPlainText().size(), 133);
    QTest::keyClick(Text(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text()->toPlainText(), Q(kDefaultTemplateText));
    EXPECT_EQ(Counter(), u"133/160");
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(MessageEditorTest, TextIsReadAsTyped)
{
    const std::u16string typed = u"Hi\u00a0[FIRSTNAME]\u2028see you\r\nbye";
    Open();
    Text()->setPlainText(Q(typed).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_EQ(editor->GetDlgItemText(CAddEditMessagesDlg::IDC_MESSAGE), typed);
    typedName = u"Typed";
    editor->RouteCommand(CAddEditMessagesDlg::IDC_SAVE_PRESET);
    ASSERT_NE(FindTemplateByName(u"Typed"), nullptr);
    EXPECT_EQ(FindTemplateByName(u"Typed")->text.Text(), typed);
}

TEST_F(MessageEditorTest, RefusedSavesKeepTheTextModifiedAndSaySo)
{
    // A templates file whose largest id leaves none to hand out.
    ResetTemplateStore();
    AppendTemplate(u"Default", kDefaultTemplateText)->id = INT32_MAX;
    ASSERT_TRUE(SaveTemplates(dir.Path()));
    ResetTemplateStore();
    LoadTemplates(dir.Path());
    test::ScriptedMessageBoxes boxes;
    Open();
    Type(Text(), QStringLiteral("Hello"));
    for (const char16_t* name : {u"<do not send>", u"<DO NOT Send>", u"New one"}) {
        typedName = name;
        editor->RouteCommand(CAddEditMessagesDlg::IDC_SAVE_PRESET);
    }
    EXPECT_EQ(Templates().size(), 1u);
    EXPECT_TRUE(editor->IsModified());
    EXPECT_EQ(saver.calls, 0);
    ASSERT_EQ(boxes.Shown().size(), 3u);
    EXPECT_EQ(boxes.Shown()[1].text,
        u"\"<do not send>\" is the choice that sends nothing, please choose another name");
    EXPECT_EQ(boxes.Shown()[2].text,
        u"The message template could not be saved: no more template ids are available");
}

TEST_F(MessageEditorTest, ChoosingAPresetShowsItsTextAndLeavesModifiedAlone)
{
    Open();
    Choose(0);
    EXPECT_EQ(Text()->toPlainText(), Q(kDefaultTemplateText));
    EXPECT_EQ(Counter(), u"133/160");
    EXPECT_FALSE(editor->IsModified());

    // Opening and closing the list reloads the stored text over the edits.
    Type(Text(), QStringLiteral("!"));
    EXPECT_TRUE(editor->IsModified());
    Presets()->showPopup();
    Presets()->hidePopup();
    QApplication::processEvents();
    EXPECT_EQ(Text()->toPlainText(), Q(kDefaultTemplateText));
    EXPECT_TRUE(editor->IsModified()) << "choosing does not clear it";
}

TEST_F(MessageEditorTest, ChoosingAnEmptyPresetIntoAnEmptyFieldLeavesTheNextKeystrokeCounted)
{
    AppendTemplate(u"Empty", u"");
    Open();
    Choose(2);
    EXPECT_EQ(Counter(), u"0/160");
    EXPECT_FALSE(editor->IsModified());
    Type(Text(), QStringLiteral("?"));
    EXPECT_EQ(Counter(), u"1/160");
    EXPECT_TRUE(editor->IsModified()) << "the first keystroke after the choice is a change";
}

TEST_F(MessageEditorTest, StoredPresetOverItsLimitIsCutWhenChosen)
{
    const std::u16string stored = u"[FULLNAME]" + std::u16string(150, u'a');
    AppendTemplate(u"Long", stored);
    test::ScriptedMessageBoxes boxes;
    Open();
    Choose(2);
    ASSERT_EQ(boxes.Shown().size(), 1u) << "one pick, one message";
    EXPECT_EQ(boxes.Shown()[0].text, kTooLong);
    EXPECT_EQ(Text()->toPlainText().size(), 137);
    EXPECT_EQ(FindTemplate(3)->text.Text(), stored) << "the preset keeps its text";
    EXPECT_TRUE(editor->IsModified()) << "the cut is a change";
}

TEST_F(MessageEditorTest, ClosingAsksOnlyAfterAnUnsavedChange)
{
    test::ScriptedMessageBoxes boxes;
    int result = -1;
    const auto run = [&](std::function<void(CAddEditMessagesDlg&)> script) {
        onEditor = std::move(script);
        CAddEditMessagesDlg shown;
        shown.mainWindow = &saver;
        result = shown.DoModal();
    };

    run([](CAddEditMessagesDlg& shown) {
        shown.ComboSetCurSel(CAddEditMessagesDlg::IDC_PRESETS, 0);
        shown.RouteCommand(dlg::IDOK);
    });
    EXPECT_EQ(result, dlg::IDOK);
    EXPECT_TRUE(boxes.Shown().empty()) << "a chosen preset is no change";

    // Typing, then choosing another preset, still counts as unsaved.
    boxes.Answer(dlg::IDNO);
    boxes.Answer(dlg::IDYES);
    bool stayedOpen = false;
    run([&](CAddEditMessagesDlg& shown) {
        auto* text = shown.Control<QPlainTextEdit>(CAddEditMessagesDlg::IDC_MESSAGE);
        Type(text, QStringLiteral("x"));
        auto* presets = shown.Control<QComboBox>(CAddEditMessagesDlg::IDC_PRESETS);
        QTest::keyClick(presets, Qt::Key_Down);
        shown.RouteCommand(dlg::IDOK);
        stayedOpen = shown.result() == 0;
        shown.RouteCommand(dlg::IDOK);
    });
    EXPECT_TRUE(stayedOpen) << "No keeps the editor open";
    EXPECT_EQ(result, dlg::IDOK);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].text, kNotSaved);
    EXPECT_EQ(boxes.Shown()[0].title, u"Confirm");
    EXPECT_EQ(boxes.Shown()[0].buttons, dlg::MessageButtons::YesNo);

    run([](CAddEditMessagesDlg& shown) {
        Type(shown.Control<QPlainTextEdit>(CAddEditMessagesDlg::IDC_MESSAGE), QStringLiteral("x"));
        shown.RouteCommand(dlg::IDCANCEL);
    });
    EXPECT_EQ(result, dlg::IDCANCEL);
    EXPECT_EQ(boxes.Shown().size(), 2u) << "cancelling asks nothing";

    // The window's close button is the caption's OK.
    boxes.Answer(dlg::IDNO);
    boxes.Answer(dlg::IDYES);
    bool closedAtFirst = true;
    run([&](CAddEditMessagesDlg& shown) {
        shown.show();
        Type(shown.Control<QPlainTextEdit>(CAddEditMessagesDlg::IDC_MESSAGE), QStringLiteral("x"));
        closedAtFirst = shown.close();
        shown.close();
    });
    EXPECT_FALSE(closedAtFirst);
    EXPECT_EQ(result, dlg::IDOK);
    ASSERT_EQ(boxes.Shown().size(), 4u);
    EXPECT_EQ(boxes.Shown()[3].text, kNotSaved);
}

TEST_F(MessageEditorTest, SavingUnderTheLowerCaseNameOfAPresetOverwritesIt)
{
    Open();
    Choose(0);
    Type(Text(), QStringLiteral(" Bye"));
    typedName = u"default";
    editor->RouteCommand(CAddEditMessagesDlg::IDC_SAVE_PRESET);

    EXPECT_EQ(proposedNames, std::vector<std::u16string> {u"Default"});
    ASSERT_EQ(Templates().size(), 2u);
    EXPECT_EQ(Templates()[0]->id, 1) << "no new id";
    EXPECT_EQ(Templates()[0]->name.Text(), u"default");
    EXPECT_EQ(Templates()[0]->text.Text(), std::u16string(kDefaultTemplateText) + u" Bye");
    EXPECT_EQ(LastTemplateId(), 2);
    EXPECT_EQ(Presets()->count(), 2) << "the list is not extended";
    EXPECT_EQ(Presets()->itemText(0), QStringLiteral("Default")) << "the item keeps its text";
    EXPECT_EQ(saver.calls, 1);
    EXPECT_FALSE(editor->IsModified());
    const std::vector<uint8_t> file = test::ReadAll(dir.Path() / kTemplatesFileName);
    ASSERT_EQ(file.size(), 2 * TemplateRecord::kFileSize);
    EXPECT_EQ(file[4], 'd') << "the new spelling is on disk";
}

TEST_F(MessageEditorTest, SavingUnderANewNameAppendsAndSelectsIt)
{
    Open();
    Type(Text(), QStringLiteral("See you"));
    typedName = u"A name of twenty-five ch";
    editor->RouteCommand(CAddEditMessagesDlg::IDC_SAVE_PRESET);
    EXPECT_EQ(proposedNames, std::vector<std::u16string> {u""});
    ASSERT_EQ(Templates().size(), 3u);
    EXPECT_EQ(Templates()[2]->id, 3);
    EXPECT_EQ(Templates()[2]->name.Text(), u"A name of twenty-fiv");
    EXPECT_EQ(Templates()[2]->text.Text(), u"See you");
    ASSERT_EQ(Presets()->count(), 3);
    EXPECT_EQ(Presets()->itemText(2), QStringLiteral("A name of twenty-fiv"));
    EXPECT_EQ(Presets()->currentIndex(), 2);
    EXPECT_EQ(saver.calls, 1);

    // The name dialog cancelled: nothing is saved.
    Type(Text(), QStringLiteral("!"));
    typedName.reset();
    editor->RouteCommand(CAddEditMessagesDlg::IDC_SAVE_PRESET);
    EXPECT_EQ(Templates().size(), 3u);
    EXPECT_EQ(saver.calls, 1);
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(MessageEditorTest, DeletingAsksFirstAndSaves)
{
    test::ScriptedMessageBoxes boxes;
    Open();
    editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET);
    EXPECT_TRUE(boxes.Shown().empty()) << "nothing selected, nothing asked";

    Choose(1);
    boxes.Answer(dlg::IDNO);
    editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET);
    EXPECT_EQ(Templates().size(), 2u);
    EXPECT_EQ(saver.calls, 0);

    boxes.Answer(dlg::IDYES);
    editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET);
    ASSERT_EQ(boxes.Shown().size(), 2u) << "an unused preset is asked about once";
    EXPECT_EQ(boxes.Shown()[1].text, u"Are you sure you want to delete this message template?");
    EXPECT_EQ(boxes.Shown()[1].title, u"Confirm delete");
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(Presets()->count(), 1);
    EXPECT_EQ(Presets()->currentIndex(), -1);
    EXPECT_EQ(Text()->toPlainText(), QStringLiteral("In a meeting, [FIRSTNAME]."))
        << "the field keeps the deleted text";
    EXPECT_EQ(saver.calls, 1);
    EXPECT_EQ(test::ReadAll(dir.Path() / kTemplatesFileName).size(), TemplateRecord::kFileSize);
}

TEST_F(MessageEditorTest, DeletingAPresetInUseAsksTwice)
{
    ProfileRecord* work = AddProfile(u"Work", 2);
    test::ScriptedMessageBoxes boxes;
    Open();
    Choose(1);
    boxes.Answer(dlg::IDYES);
    boxes.Answer(dlg::IDNO);
    editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text,
        u"The following message template is in use, are you sure you want to delete it?");
    EXPECT_EQ(boxes.Shown()[1].title, u"Confirm delete");
    EXPECT_EQ(Templates().size(), 2u) << "No to the second question changes nothing";
    EXPECT_EQ(work->defaultMessageId, 2);
    EXPECT_EQ(saver.calls, 0);

    boxes.Answer(dlg::IDYES);
    boxes.Answer(dlg::IDYES);
    editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET);
    EXPECT_EQ(Templates().size(), 1u);
    EXPECT_EQ(work->defaultMessageId, 0) << "the profile no longer names it";
    EXPECT_EQ(saver.calls, 1);
}

TEST_F(MessageEditorTest, DeletingTheLastTemplateLeavesAnEmptyFile)
{
    test::ScriptedMessageBoxes boxes;
    Open();
    for (int i = 0; i < 2; ++i) {
        Choose(0);
        boxes.Answer(dlg::IDYES);
        editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET);
    }
    EXPECT_TRUE(Templates().empty());
    EXPECT_EQ(Presets()->count(), 0);
    EXPECT_EQ(saver.calls, 2);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / kTemplatesFileName), 0u);

    // The next start creates "Default" again.
    ResetTemplateStore();
    LoadTemplates(dir.Path());
    ASSERT_EQ(Templates().size(), 1u);
    EXPECT_EQ(Templates()[0]->name.Text(), u"Default");
    EXPECT_EQ(Templates()[0]->id, 1);
}

TEST_F(MessageEditorTest, DoNotSendIsNeverEditableOrDeletable)
{
    test::ScriptedMessageBoxes boxes;
    Open();
    for (int i = 0; i < Presets()->count(); ++i) {
        EXPECT_NE(editor->ComboGetItemData(CAddEditMessagesDlg::IDC_PRESETS, i),
            reinterpret_cast<uintptr_t>(&DoNotSendTemplate()));
        EXPECT_NE(Presets()->itemText(i), QStringLiteral("<do not send>"));
    }
    // Its name is refused for a preset; the choice stays as it is.
    Type(Text(), QStringLiteral("Sent after all"));
    typedName = u"<DO NOT SEND>";
    editor->RouteCommand(CAddEditMessagesDlg::IDC_SAVE_PRESET);
    ASSERT_EQ(Templates().size(), 2u);
    EXPECT_EQ(DoNotSendTemplate().id, 0);
    EXPECT_EQ(DoNotSendTemplate().name.Text(), u"<do not send>");
    EXPECT_EQ(DoNotSendTemplate().text.Text(), u"");
    EXPECT_EQ(FindTemplate(0), nullptr);

    editor->RouteCommand(CAddEditMessagesDlg::IDC_DELETE_PRESET); // nothing chosen
    EXPECT_EQ(Templates().size(), 2u);
    EXPECT_EQ(DoNotSendTemplate().name.Text(), u"<do not send>");
    EXPECT_EQ(TemplateName(0), std::u16string_view(u"<do not send>"));
}

TEST_F(MessageEditorTest, InsertingAVariableReplacesTheSelection)
{
    test::ScriptedMessageBoxes boxes;
    Open();
    Type(Text(), QStringLiteral("Hi you"));
    QTextCursor cursor = Text()->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    Text()->setTextCursor(cursor);
    variableRow = 5; // the list holds the variables in their fixed order
    editor->RouteCommand(CAddEditMessagesDlg::IDC_INSERT_VARIABLE);
    EXPECT_EQ(Text()->toPlainText(), QStringLiteral("Hi [FULLNAME]"));
    EXPECT_EQ(Counter(), u"36/160");
    EXPECT_FALSE(Text()->document()->isUndoAvailable()) << "the insertion cannot be undone";

    variableRow = 0;
    editor->RouteCommand(CAddEditMessagesDlg::IDC_INSERT_VARIABLE);
    EXPECT_EQ(Text()->toPlainText(), QStringLiteral("Hi [FULLNAME][TITLE]")) << "at the caret";
    // The calendar's variable comes last, counted at its longest day and time.
    variableRow = 6;
    editor->RouteCommand(CAddEditMessagesDlg::IDC_INSERT_VARIABLE);
    EXPECT_EQ(Text()->toPlainText(), QStringLiteral("Hi [FULLNAME][TITLE][BUSYUNTIL]"));
    EXPECT_EQ(Counter(), u"49/160");

    // "&Select" without a choice keeps the variables dialog open.
    variableRow = -1;
    editor->RouteCommand(CAddEditMessagesDlg::IDC_INSERT_VARIABLE);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, u"Please select a variable first, or press Cancel");
    EXPECT_EQ(boxes.Shown()[0].title, u"Pelmora");
    EXPECT_EQ(Text()->toPlainText(), QStringLiteral("Hi [FULLNAME][TITLE][BUSYUNTIL]"));
}

TEST_F(MessageEditorTest, HelpOpensTheEditorsTopic)
{
    Open();
    editor->RouteCommand(CAddEditMessagesDlg::IDC_HELP);
    ASSERT_EQ(helpLines.size(), 1u);
    EXPECT_TRUE(Q(helpLines[0]).endsWith(QStringLiteral("#addeditmessages")));
}

TEST_F(MessageEditorTest, NameDialogTakesTheNameAsTypedAndRaisesTheKeyboard)
{
    bool keyboardUp = false;
    std::u16string shownName;
    dlg::SetModalHandler([&](dlg::CDialog& shown) {
        keyboardUp = keyboard.up;
        shownName = shown.GetDlgItemText(CNewPresetDlg::IDC_NAME);
        shown.SetDlgItemText(CNewPresetDlg::IDC_NAME, u"");
        shown.RouteCommand(dlg::IDOK);
        return shown.result();
    });
    {
        CNewPresetDlg name;
        name.name = u"Proposed";
        EXPECT_EQ(name.DoModal(), dlg::IDOK);
        EXPECT_EQ(name.name, u"") << "an empty name is accepted";
        EXPECT_TRUE(keyboard.up);
    }
    EXPECT_EQ(shownName, u"Proposed");
    EXPECT_TRUE(keyboardUp) << "raised when the dialog opens";
    EXPECT_FALSE(keyboard.up) << "lowered when it goes";
}
