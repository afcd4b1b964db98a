#pragma once

namespace pelmora {

// The platform's identifiers of the OK and Cancel buttons.
constexpr int IDOK_ID = 1;
constexpr int IDCANCEL_ID = 2;

// Each registers one family of dialog templates.
void RegisterMainTemplates();
void RegisterVariablesDialog();
void RegisterLogPage();
void RegisterAdvancedAbout();
void RegisterRulesPages();
void RegisterGroupsDialogs();
void RegisterMainPage();
void RegisterMessageEditor();
void RegisterScheduleDialogs();
void RegisterHistoryDialogs();
void RegisterProfileDialogs();

} // namespace pelmora
