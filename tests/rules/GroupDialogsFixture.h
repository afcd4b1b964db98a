#pragma once

#include "platform/contacts/AddressBook.h"
#include "platform/contacts/PocketOutlook.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ScreenModel.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"

#include <QSettings>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace pelmora::test {

// Answers the dialogs that DoModal opens, in order: each step gets the
// dialog, acts on it as the user would and ends it (or leaves it open, which
// DoModal reports as 0). Dialogs beyond the script are cancelled.
class ModalScript final {
public:
    using Step = std::function<void(dlg::CDialog&)>;

    ModalScript()
    {
        dlg::SetModalHandler([this](dlg::CDialog& shown) {
            ++opened_;
            if (steps_.empty()) {
                shown.EndDialog(dlg::IDCANCEL);
                return dlg::IDCANCEL;
            }
            Step step = std::move(steps_.front());
            steps_.pop_front();
            step(shown);
            return shown.result();
        });
    }
    ~ModalScript() { dlg::SetModalHandler(nullptr); }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    void Then(Step step) { steps_.push_back(std::move(step)); }
    int Opened() const { return opened_; }
    size_t Pending() const { return steps_.size(); }

private:
    std::deque<Step> steps_;
    int opened_ = 0;
};

inline ContactCard SampleCard(
    uint32_t oid, std::u16string first, std::u16string last, std::u16string title = {})
{
    ContactCard card;
    card.oid = oid;
    card.title = std::move(title);
    card.firstName = std::move(first);
    card.lastName = std::move(last);
    return card;
}

// Empty stores, a known address book, no remembered column widths, portrait.
class GroupDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetGroupStore();
        ResetProfileStore();
        ConnectProfilesToStores();
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrel"),
            QStringLiteral("Pelmora"))
            .clear();
        SetAddressBook(&book);
    }
    void TearDown() override
    {
        SetAddressBook(nullptr);
        poom::FailContactsCall(poom::S_OK, poom::S_OK);
        if (dlg::IsLandscape())
            dlg::ScreenModel::Instance().Rotate();
        ResetGroupStore();
        ResetProfileStore();
    }

    // A group in the store with the given name and members.
    static GroupRecord* MakeGroup(std::u16string_view name, std::vector<uint32_t> members = {})
    {
        GroupRecord edited;
        edited.SetName(name);
        edited.members = std::move(members);
        return AddGroup(edited);
    }

    SimulatedAddressBook book;
};

} // namespace pelmora::test
