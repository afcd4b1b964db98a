#pragma once

namespace pelmora {

// Registers every dialog template and image of the program with the dialog
// framework. Called once at start-up (and by tests) before a window is built.
void RegisterResources();

// Resource numbers shared by the templates and the code.
// Bitmaps (IDB_) and dialog templates (IDD_) are numbered separately.
enum ResourceId : int {
    IDR_MAINFRAME = 128, // application icon and menu
    IDD_PELMORA_DIALOG = 102,
    IDD_MAIN = 129,
    IDD_MAIN_L = 149,
    IDD_ADDEDIT_MESSAGES = 130,
    IDD_ADDEDIT_MESSAGES_L = 150,
    IDD_NEW_PRESET = 140,
    IDD_INSERT_VARIABLE = 143,
    IDD_LOG = 142,
    IDD_LOG_L = 148,
    IDD_VARIABLES = 144,
    IDD_VARIABLES_L = 154,
    IDD_ABOUT = 131,
    IDD_ABOUT_L = 147,
    IDB_LOGO = 139,
    IDD_ADVANCED_SETTINGS = 145,
    IDD_ADVANCED_SETTINGS_L = 174,
    IDD_RULES = 141,
    IDD_RULES_L = 156,
    IDD_INCLUDE_RULES = 155,
    IDD_INCLUDE_RULES_L = 158,
    IDD_EXCLUDE_RULES = 157,
    IDD_EXCLUDE_RULES_L = 152,
    IDD_GROUPS = 159,
    IDD_GROUPS_L = 168,
    IDD_GROUP = 160,
    IDD_GROUP_L = 167,
    IDD_PROFILE = 161,
    IDD_PROFILE_L = 162,
    IDD_PROFILE_CUSTOM_MSGS = 163,
    IDD_PROFILE_CUSTOM_MSGS_L = 164,
    IDD_SELECT_GROUP_MSG = 165,
    IDD_SELECT_CONTACT_MSG = 166,
    IDD_SELECT_CONTACT_MSG_L = 169,
    IDD_SCHEDULE = 170,
    IDD_SCHEDULE_L = 171,
    IDD_SCHEDULE_WINDOW = 172,
    IDD_SCHEDULE_WINDOW_L = 173,
    IDD_HISTORY = 176,
    IDD_HISTORY_L = 177,
    IDD_HISTORY_CALL = 178,
    IDD_HISTORY_CALL_L = 179,
    IDB_BANNER = 132, // Main page, portrait only
    IDB_REPLY = 133, // beside the Start Monitor button
    IDB_ADD = 135, // save a preset, add a profile
    IDB_DELETE = 136,
    IDB_HELP = 141,
    IDB_CONTACT = 161, // entries of the profile's custom messages
    IDB_GROUP = 162,
    IDB_RUNNING = 144,
    IDB_STOPPED = 145,
};

} // namespace pelmora
