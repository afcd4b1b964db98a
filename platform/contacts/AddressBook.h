#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace pelmora {

// The ten phone fields of a contact, in the order the program searches them.
enum PhoneField : size_t {
    Mobile,
    Pager,
    Business,
    Home,
    Home2,
    HomeFax,
    Car,
    Business2,
    Radio,
    BusinessFax,
    kPhoneFieldCount
};
extern const std::array<const char16_t*, kPhoneFieldCount> kPhoneFieldNames;

struct ContactCard {
    std::u16string title, firstName, middleName, lastName, suffix;
    uint32_t oid = 0; // stable, non-zero, unique
    std::array<std::u16string, kPhoneFieldCount> phones;
};

// One read of the address book: the cards in folder order, with an index of
// each phone field's exact text to the first card holding it.
class ContactFolder final {
public:
    explicit ContactFolder(std::vector<ContactCard> cards);
    const std::vector<ContactCard>& Cards() const { return cards_; }
    // Position (0-based) of the first card whose `field` equals `number`
    // exactly, or -1; an empty number matches nothing.
    int64_t FirstWith(PhoneField field, const std::u16string& number) const;

private:
    std::vector<ContactCard> cards_;
    std::array<std::unordered_map<std::u16string, size_t>, kPhoneFieldCount> index_;
};

// Where the contacts come from. Current() gives the folder as it is now; a
// source that has not changed since the last call returns the same folder
// without reading it again.
class AddressBook {
public:
    virtual ~AddressBook() = default;
    virtual std::shared_ptr<const ContactFolder> Current() = 0;
};

// The address book behind the contacts object model (not owned; null means
// an empty address book).
void SetAddressBook(AddressBook* book);
AddressBook* CurrentAddressBook();

// Contacts held in memory, changed by code: tests and demos.
class SimulatedAddressBook final : public AddressBook {
public:
    std::shared_ptr<const ContactFolder> Current() override;
    void Add(ContactCard card);
    bool Remove(uint32_t oid);
    void Clear();

private:
    std::vector<ContactCard> cards_;
    std::shared_ptr<const ContactFolder> folder_;
};

} // namespace pelmora
