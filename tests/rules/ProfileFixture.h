#pragma once

#include "app/MonitorDlg.h"
#include "messages/TemplateStore.h"
#include "rules/ProfilePage.h"
#include "tests/TestSupport.h"
#include "tests/rules/GroupDialogsFixture.h"

#include <QComboBox>

#include <memory>

namespace pelmora::test {

// Data files written as a previous run left them, and a main window that
// loads them: templates T1, T2, T3 (ids 1 to 3) and the profiles a test adds.
class ProfileTest : public GroupDialogsTest {
protected:
    void SetUp() override
    {
        GroupDialogsTest::SetUp();
        ResetTemplateStore();
        for (const char16_t* name : {u"T1", u"T2", u"T3"})
            AddOrUpdateTemplate(name, std::u16string(u"Text of ") + name);
    }
    void TearDown() override
    {
        window.reset();
        ResetTemplateStore();
        GroupDialogsTest::TearDown();
    }

    // Writes the stores and `settings` as files, empties the stores and opens
    // the main window on them.
    void Start()
    {
        SaveGroups(dir.Path());
        SaveTemplates(dir.Path());
        SaveProfiles(dir.Path());
        SaveSettings(dir.Path(), settings);
        Restart(false);
    }
    // Closes the window (which saves) when `closeFirst`, then opens a new one.
    void Restart(bool closeFirst = true)
    {
        if (closeFirst)
            window.reset();
        ResetGroupStore();
        ResetTemplateStore();
        ResetProfileStore();
        window = std::make_unique<CMonitorDlg>(dir.Path());
        ASSERT_TRUE(window->Create(nullptr));
        ASSERT_NE(window->ProfilePage(), nullptr);
    }

    CProfilePage& Page() const { return *window->ProfilePage(); }
    QComboBox* ProfileCombo() const
    {
        return Page().Control<QComboBox>(CProfilePage::IDC_PROFILES);
    }
    QComboBox* TemplateCombo() const
    {
        return Page().Control<QComboBox>(CProfilePage::IDC_TEMPLATES);
    }
    // The user picks an item of a drop-down list.
    static void Pick(QComboBox* combo, int index)
    {
        combo->setCurrentIndex(index);
        Q_EMIT combo->activated(index);
    }
    static void PickText(QComboBox* combo, const QString& text)
    {
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        Pick(combo, index);
    }

    ScratchDir dir;
    SettingsRecord settings;
    std::unique_ptr<CMonitorDlg> window;
};

} // namespace pelmora::test
