#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::dlg {

// Dialog templates are data: the same description drives the first build of a
// dialog and every later relayout after a rotation, and a portrait and a
// landscape template of one page share their control identifiers.

enum class ControlClass : uint8_t {
    PushButton,
    DefPushButton,
    CheckBox,
    AutoCheckBox,
    RadioButton,
    GroupBox,
    Static,
    Bitmap, // static picture showing bitmap resource `resource`
    Icon, // static picture showing icon resource `resource`
    Edit,
    ComboDropList,
    ListBox,
    ListView, // report-style list with columns
    TabControl,
};

enum Style : uint32_t {
    Visible = 1u << 0,
    Disabled = 1u << 1,
    Group = 1u << 2, // first control of a radio group
    Notify = 1u << 3, // static/picture sends its id as a command on click
    TabStop = 1u << 4,
    Multiline = 1u << 5,
    ReadOnly = 1u << 6,
    Number = 1u << 7, // edit accepts digits only
    AutoHScroll = 1u << 8,
    AutoVScroll = 1u << 9,
    Center = 1u << 10, // static text alignment
    Right = 1u << 11,
    Checkboxes = 1u << 12, // list view rows carry a check box
    Sort = 1u << 13,
    VScroll = 1u << 14,
    Border = 1u << 15,
    NoColumnHeader = 1u << 16,
    SingleSelection = 1u << 17,
    ShowSelAlways = 1u << 18,
};

constexpr uint32_t kDefaultStyle = Visible | TabStop;

struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool operator==(const DialogRect&) const = default;
};

struct ListColumn {
    std::u16string title;
    int width = 0; // in dialog units
};

struct DialogItem {
    DialogItem(int id_, ControlClass cls_, std::u16string text_, DialogRect rect_,
        uint32_t style_ = kDefaultStyle, int resource_ = 0, std::vector<ListColumn> columns_ = {},
        std::vector<std::u16string> items_ = {})
        : id(id_)
        , cls(cls_)
        , text(std::move(text_))
        , rect(rect_)
        , style(style_)
        , resource(resource_)
        , columns(std::move(columns_))
        , items(std::move(items_))
    {
    }

    int id = -1;
    ControlClass cls = ControlClass::Static;
    std::u16string text; // caption; unused when `resource` names a picture
    DialogRect rect;
    uint32_t style = kDefaultStyle;
    int resource = 0; // bitmap or icon number for pictures
    std::vector<ListColumn> columns;
    // The items a drop-down list or list box holds when it is built, in order.
    std::vector<std::u16string> items;

    bool IsVisible() const { return (style & Visible) != 0; }
};

struct DialogTemplate {
    int id = 0;
    std::u16string title;
    DialogRect rect; // x, y unused; cx, cy is the size in dialog units
    std::vector<DialogItem> items;

    const DialogItem* FindItem(int controlId) const
    {
        for (const DialogItem& item : items)
            if (item.id == controlId)
                return &item;
        return nullptr;
    }
};

// The application's templates, registered once at start-up by the resources.
void RegisterTemplate(DialogTemplate tmpl);
const DialogTemplate* FindDialogTemplate(int id);
// Every registered template, by identifier.
std::vector<const DialogTemplate*> RegisteredTemplates();

} // namespace pelmora::dlg
