#include "messages/TemplateCombo.h"
#include "messages/TemplateStore.h"

#include <QComboBox>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class TemplateComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetTemplateStore();
        EnsureDefaultTemplate();
    }
    void TearDown() override { ResetTemplateStore(); }
};

} // namespace

TEST_F(TemplateComboTest, OverwriteByNameAddsNoItem)
{
    QComboBox box;
    FillTemplateCombo(dlg::CComboBox(&box), false);
    EXPECT_EQ(AddOrUpdateTemplate(u"default", u"New text"), nullptr);
    FillTemplateCombo(dlg::CComboBox(&box), false);
    ASSERT_EQ(box.count(), 1);
    EXPECT_EQ(box.itemText(0), QStringLiteral("default"));
}

TEST_F(TemplateComboTest, ComboListsTemplatesAndKeepsTheSelection)
{
    TemplateRecord* second = AppendTemplate(u"Second", u"2");
    QComboBox box;
    dlg::CComboBox combo(&box);
    FillTemplateCombo(combo, true);
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(0), QStringLiteral("<do not send>"));
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_EQ(SelectedTemplateId(combo), 0);

    SelectTemplateInCombo(combo, second->id);
    EXPECT_EQ(combo.GetCurSel(), 2);
    AppendTemplate(u"Third", u"3");
    FillTemplateCombo(combo, true);
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(SelectedTemplateId(combo), second->id) << "the selected record stays selected";

    SelectTemplateInCombo(combo, 0);
    EXPECT_EQ(combo.GetCurSel(), 0);
    FillTemplateCombo(combo, true);
    EXPECT_EQ(combo.GetCurSel(), -1) << "<do not send> is not reselected by a refill";

    SelectTemplateInCombo(combo, 99);
    EXPECT_EQ(combo.GetCurSel(), -1);
    FillTemplateCombo(combo, false);
    SelectTemplateInCombo(combo, 0);
    EXPECT_EQ(combo.GetCurSel(), -1) << "no <do not send> item to select";
}
