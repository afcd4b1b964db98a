#include "app/DataDocument.h"

#include "options/OwnSettings.h"

#include "messages/TemplateStore.h"
#include "platform/storage/DataFileCare.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

namespace pelmora {

namespace {

QString Q(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}
QString FileName(const char* name)
{
    return QString::fromLatin1(name);
}

QJsonObject SettingsJson(const SettingsRecord& s)
{
    QJsonArray replacement;
    for (const auto& text : s.replacement)
        replacement.append(Q(text.Text()));
    return QJsonObject {
        {QStringLiteral("version"), s.version},
        {QStringLiteral("maxPerCallerIndex"), s.maxPerCallerIndex},
        {QStringLiteral("maxTotal"), s.maxTotal},
        {QStringLiteral("replacement"), replacement},
        {QStringLiteral("includeMode"), s.includeMode},
        {QStringLiteral("includePrefixes"), Q(s.includePrefixes.Text())},
        {QStringLiteral("excludeInternational"), s.excludeInternational},
        {QStringLiteral("excludeUnidentified"), s.excludeUnidentified},
        {QStringLiteral("excludeStartingWith"), s.excludeStartingWith},
        {QStringLiteral("excludePrefixes"), Q(s.excludePrefixes.Text())},
        {QStringLiteral("clearLogEachStart"), s.clearLogEachStart},
        {QStringLiteral("removeSpaceAfterEmpty"), s.removeSpaceAfterEmpty},
        {QStringLiteral("ringsBeforeSendIndex"), s.ringsBeforeSendIndex},
        {QStringLiteral("logMaxAgeIndex"), s.logMaxAgeIndex},
        {QStringLiteral("internationalPrefix"), Q(s.internationalPrefix.Text())},
        {QStringLiteral("hangupIndex"), s.hangupIndex},
        {QStringLiteral("activeProfileId"), s.activeProfileId},
        {QStringLiteral("interactive"), s.interactive},
    };
}

QJsonArray GroupsJson()
{
    QJsonArray groups;
    for (const auto& group : Groups()) {
        QJsonArray members;
        for (uint32_t member : group->members)
            members.append(static_cast<qint64>(member));
        groups.append(QJsonObject {{QStringLiteral("id"), group->id},
            {QStringLiteral("name"), Q(group->name.Text())}, {QStringLiteral("members"), members}});
    }
    return groups;
}

QJsonArray TemplatesJson()
{
    QJsonArray templates;
    for (const auto& record : Templates())
        templates.append(QJsonObject {{QStringLiteral("id"), record->id},
            {QStringLiteral("name"), Q(record->name.Text())},
            {QStringLiteral("text"), Q(record->text.Text())}});
    return templates;
}

QJsonArray ProfilesJson()
{
    QJsonArray profiles;
    for (const auto& profile : Profiles()) {
        QJsonArray entries;
        for (const auto& entry : profile->entries)
            entries.append(QJsonObject {{QStringLiteral("kind"), entry->kind},
                {QStringLiteral("targetId"), static_cast<qint64>(entry->targetId)},
                {QStringLiteral("messageId"), entry->messageId}});
        profiles.append(QJsonObject {{QStringLiteral("id"), profile->id},
            {QStringLiteral("name"), Q(profile->name.Text())},
            {QStringLiteral("defaultMessageId"), profile->defaultMessageId},
            {QStringLiteral("entries"), entries}});
    }
    return profiles;
}

// A file the application could not read whole gives a line in `unread`.
void NoteUnread(const char* name, const std::filesystem::path& dir, FileCondition condition,
    int error, QStringList* unread)
{
    const QString path = QString::fromStdString((dir / name).string());
    if (!unread)
        return;
    if (condition == FileCondition::Unreadable)
        *unread << QStringLiteral("%1: cannot be read (%2); the document does not hold it")
                       .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    else if (condition == FileCondition::Damaged)
        *unread
            << QStringLiteral("%1: damaged; the document holds only what could be read").arg(path);
}

void LoadSettingsWithWarnings(const std::filesystem::path& dir, SettingsRecord& settings,
    QStringList& warnings, QStringList* unread)
{
    const SettingsLoadReport report = LoadSettings(dir, settings);
    NoteUnread(kSettingsFileName, dir, report.condition, report.error, unread);
    if (!report.fileOpened || report.applied)
        return;
    if (!report.version)
        warnings << QStringLiteral("%1: %2 bytes instead of %3; ignored, the defaults apply")
                        .arg(FileName(kSettingsFileName))
                        .arg(report.bytesRead)
                        .arg(SettingsRecord::kSize);
    else
        warnings << QStringLiteral("%1: version %2 instead of %3; ignored, the defaults apply")
                        .arg(FileName(kSettingsFileName))
                        .arg(*report.version)
                        .arg(SettingsRecord::kVersion);
}

void LoadGroupsWithWarnings(
    const std::filesystem::path& dir, QStringList& warnings, QStringList* unread)
{
    const GroupLoadReport report = LoadGroups(dir);
    NoteUnread(kGroupsFileName, dir, report.condition, report.error, unread);
    if (report.damaged)
        warnings << QStringLiteral("%1: %2 groups promised, %3 read whole; the rest was dropped")
                        .arg(FileName(kGroupsFileName))
                        .arg(report.promised)
                        .arg(report.loaded);
}

void LoadTemplatesWithWarnings(
    const std::filesystem::path& dir, QStringList& warnings, QStringList* unread)
{
    const TemplateLoadReport report = LoadTemplates(dir);
    NoteUnread(kTemplatesFileName, dir, report.condition, report.error, unread);
    if (report.cutShort)
        warnings << QStringLiteral("%1: %2 bytes is not a whole number of %3-byte templates; "
                                   "the %4 whole ones were read, the rest was dropped")
                        .arg(FileName(kTemplatesFileName))
                        .arg(report.fileBytes)
                        .arg(TemplateRecord::kFileSize)
                        .arg(report.loaded);
}

void LoadProfilesWithWarnings(
    const std::filesystem::path& dir, QStringList& warnings, QStringList* unread)
{
    const ProfileLoadReport report = LoadProfiles(dir);
    NoteUnread(kProfilesFileName, dir, report.condition, report.error, unread);
    if (report.damaged)
        warnings << QStringLiteral(
            "%1: %2 profiles read whole; a damaged profile at the end was dropped")
                        .arg(FileName(kProfilesFileName))
                        .arg(report.loaded);
}

// Duplicate ids are legal in the files, but every lookup by id finds the
// first record only: the later ones can never be chosen.
template <class List>
void WarnAboutDuplicateIds(const List& list, const char* store, QStringList& warnings)
{
    std::map<int32_t, size_t> first;
    for (size_t i = 0; i < list.size(); ++i) {
        const auto [found, added] = first.emplace(list[i]->id, i);
        if (!added)
            warnings << QStringLiteral("%1[%2]: id %3 is also the id of %1[%4], which every "
                                       "lookup by id finds instead")
                            .arg(QString::fromLatin1(store))
                            .arg(i)
                            .arg(list[i]->id)
                            .arg(found->second);
    }
}

void WarnAboutDuplicateIds(const GroupList& groups, const TemplateList& templates,
    const ProfileList& profiles, QStringList& warnings)
{
    WarnAboutDuplicateIds(groups, "groups", warnings);
    WarnAboutDuplicateIds(templates, "templates", warnings);
    WarnAboutDuplicateIds(profiles, "profiles", warnings);
}

void ResetStores()
{
    ResetGroupStore();
    ResetTemplateStore();
    ResetProfileStore();
}

// Reading a document: every value is checked before anything is stored.
class Reader {
public:
    QString error;

    bool Fail(const QString& place, const QString& what)
    {
        if (error.isEmpty())
            error = place + QStringLiteral(": ") + what;
        return false;
    }

    std::optional<QJsonValue> Field(
        const QJsonObject& object, const QString& place, const char* key)
    {
        const QString name = QString::fromLatin1(key);
        if (!object.contains(name)) {
            Fail(place, QStringLiteral("missing key \"%1\"").arg(name));
            return std::nullopt;
        }
        return object.value(name);
    }

    std::optional<int64_t> Integer(
        const QJsonValue& value, const QString& place, int64_t low, int64_t high)
    {
        if (!value.isDouble()) {
            Fail(place, QStringLiteral("expected a number"));
            return std::nullopt;
        }
        const double number = value.toDouble();
        if (number != std::trunc(number)) {
            Fail(place, QStringLiteral("expected a whole number"));
            return std::nullopt;
        }
        // Compared as a double: a number beyond every integer type has no
        // conversion. The bounds are exact doubles.
        if (number < static_cast<double>(low) || number > static_cast<double>(high)) {
            const QString written = std::fabs(number) < 0x1p62
                ? QString::number(static_cast<int64_t>(number))
                : QString::number(number, 'g', 17);
            Fail(place, QStringLiteral("%1 is outside %2..%3").arg(written).arg(low).arg(high));
            return std::nullopt;
        }
        return static_cast<int64_t>(number);
    }

    std::optional<int32_t> Int32(const QJsonObject& object, const QString& place, const char* key)
    {
        const auto value = Field(object, place, key);
        if (!value)
            return std::nullopt;
        const auto number = Integer(*value, place + QStringLiteral(".") + QString::fromLatin1(key),
            std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
        return number ? std::optional<int32_t>(static_cast<int32_t>(*number)) : std::nullopt;
    }

    std::optional<std::u16string> Text(
        const QJsonValue& value, const QString& place, size_t maxChars)
    {
        if (!value.isString()) {
            Fail(place, QStringLiteral("expected a text"));
            return std::nullopt;
        }
        std::u16string text = value.toString().toStdU16String();
        if (text.size() > maxChars) {
            Fail(place,
                QStringLiteral("%1 characters, at most %2 fit").arg(text.size()).arg(maxChars));
            return std::nullopt;
        }
        if (text.find(u'\0') != std::u16string::npos) {
            Fail(place, QStringLiteral("a text cannot hold a zero character"));
            return std::nullopt;
        }
        return text;
    }

    std::optional<std::u16string> TextField(
        const QJsonObject& object, const QString& place, const char* key, size_t maxChars)
    {
        const auto value = Field(object, place, key);
        return value
            ? Text(*value, place + QStringLiteral(".") + QString::fromLatin1(key), maxChars)
            : std::nullopt;
    }

    std::optional<QJsonArray> Array(
        const QJsonObject& object, const QString& place, const char* key)
    {
        const auto value = Field(object, place, key);
        if (!value)
            return std::nullopt;
        if (!value->isArray()) {
            Fail(place + QStringLiteral(".") + QString::fromLatin1(key),
                QStringLiteral("expected an array"));
            return std::nullopt;
        }
        return value->toArray();
    }

    std::optional<QJsonObject> Object(const QJsonValue& value, const QString& place)
    {
        if (!value.isObject()) {
            Fail(place, QStringLiteral("expected an object"));
            return std::nullopt;
        }
        return value.toObject();
    }
};

bool ReadSettings(Reader& r, const QJsonObject& o, SettingsRecord& s)
{
    const QString at = QStringLiteral("settings");
    struct IntField {
        const char* key;
        int32_t SettingsRecord::*member;
    };
    const IntField ints[] = {
        {"version", &SettingsRecord::version},
        {"maxPerCallerIndex", &SettingsRecord::maxPerCallerIndex},
        {"maxTotal", &SettingsRecord::maxTotal},
        {"includeMode", &SettingsRecord::includeMode},
        {"excludeInternational", &SettingsRecord::excludeInternational},
        {"excludeUnidentified", &SettingsRecord::excludeUnidentified},
        {"excludeStartingWith", &SettingsRecord::excludeStartingWith},
        {"clearLogEachStart", &SettingsRecord::clearLogEachStart},
        {"removeSpaceAfterEmpty", &SettingsRecord::removeSpaceAfterEmpty},
        {"ringsBeforeSendIndex", &SettingsRecord::ringsBeforeSendIndex},
        {"logMaxAgeIndex", &SettingsRecord::logMaxAgeIndex},
        {"hangupIndex", &SettingsRecord::hangupIndex},
        {"activeProfileId", &SettingsRecord::activeProfileId},
        {"interactive", &SettingsRecord::interactive},
    };
    for (const IntField& field : ints) {
        const auto value = r.Int32(o, at, field.key);
        if (!value)
            return false;
        s.*field.member = *value;
    }
    // The application ignores a settings file of any other version and runs
    // on its defaults: writing one would lose the settings silently.
    if (s.version != SettingsRecord::kVersion)
        return r.Fail(at + QStringLiteral(".version"),
            QStringLiteral("%1 is not %2, the only version the application reads")
                .arg(s.version)
                .arg(SettingsRecord::kVersion));
    const auto replacement = r.Array(o, at, "replacement");
    if (!replacement)
        return false;
    if (replacement->size() != 6)
        return r.Fail(at + QStringLiteral(".replacement"),
            QStringLiteral("%1 texts instead of 6").arg(replacement->size()));
    for (int i = 0; i < 6; ++i) {
        const auto text = r.Text(replacement->at(i), at + QStringLiteral(".replacement[%1]").arg(i),
            SettingsRecord::kReplacementChars - 1);
        if (!text)
            return false;
        s.replacement[static_cast<size_t>(i)].SetCleared(*text);
    }
    const auto include
        = r.TextField(o, at, "includePrefixes", SettingsRecord::kPrefixListChars - 1);
    const auto exclude = include
        ? r.TextField(o, at, "excludePrefixes", SettingsRecord::kPrefixListChars - 1)
        : std::nullopt;
    const auto international = exclude
        ? r.TextField(o, at, "internationalPrefix", SettingsRecord::kInternationalPrefixChars - 1)
        : std::nullopt;
    if (!international)
        return false;
    s.includePrefixes.SetCleared(*include);
    s.excludePrefixes.SetCleared(*exclude);
    s.internationalPrefix.SetCleared(*international);
    return true;
}

bool ReadGroups(Reader& r, const QJsonArray& array, GroupList& groups)
{
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString at = QStringLiteral("groups[%1]").arg(i);
        const auto object = r.Object(array.at(i), at);
        if (!object)
            return false;
        auto group = std::make_unique<GroupRecord>();
        const auto id = r.Int32(*object, at, "id");
        const auto name
            = id ? r.TextField(*object, at, "name", GroupRecord::kFileNameUnits) : std::nullopt;
        const auto members = name ? r.Array(*object, at, "members") : std::nullopt;
        if (!members)
            return false;
        group->id = *id;
        group->SetName(*name);
        for (qsizetype m = 0; m < members->size(); ++m) {
            const auto member
                = r.Integer(members->at(m), at + QStringLiteral(".members[%1]").arg(m), 0,
                    std::numeric_limits<uint32_t>::max());
            if (!member)
                return false;
            group->members.push_back(static_cast<uint32_t>(*member));
        }
        groups.push_back(std::move(group));
    }
    return true;
}

bool ReadTemplates(Reader& r, const QJsonArray& array, TemplateList& templates)
{
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString at = QStringLiteral("templates[%1]").arg(i);
        const auto object = r.Object(array.at(i), at);
        if (!object)
            return false;
        const auto id = r.Int32(*object, at, "id");
        const auto name
            = id ? r.TextField(*object, at, "name", TemplateRecord::kNameUnits - 1) : std::nullopt;
        const auto text = name ? r.TextField(*object, at, "text", TemplateRecord::kTextUnits - 1)
                               : std::nullopt;
        if (!text)
            return false;
        auto record = std::make_unique<TemplateRecord>();
        record->id = *id;
        record->SetName(*name);
        record->SetText(*text);
        templates.push_back(std::move(record));
    }
    return true;
}

bool ReadProfiles(Reader& r, const QJsonArray& array, ProfileList& profiles)
{
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString at = QStringLiteral("profiles[%1]").arg(i);
        const auto object = r.Object(array.at(i), at);
        if (!object)
            return false;
        const auto id = r.Int32(*object, at, "id");
        const auto name
            = id ? r.TextField(*object, at, "name", ProfileRecord::kFileNameUnits) : std::nullopt;
        const auto message = name ? r.Int32(*object, at, "defaultMessageId") : std::nullopt;
        const auto entries = message ? r.Array(*object, at, "entries") : std::nullopt;
        if (!entries)
            return false;
        auto profile = std::make_unique<ProfileRecord>();
        profile->id = *id;
        profile->SetName(*name);
        profile->defaultMessageId = *message;
        for (qsizetype e = 0; e < entries->size(); ++e) {
            const QString entryAt = at + QStringLiteral(".entries[%1]").arg(e);
            const auto entryObject = r.Object(entries->at(e), entryAt);
            if (!entryObject)
                return false;
            const auto kindValue = r.Field(*entryObject, entryAt, "kind");
            const auto kind = kindValue
                ? r.Integer(*kindValue, entryAt + QStringLiteral(".kind"), 0, 255)
                : std::nullopt;
            const auto targetValue
                = kind ? r.Field(*entryObject, entryAt, "targetId") : std::nullopt;
            const auto target = targetValue
                ? r.Integer(*targetValue, entryAt + QStringLiteral(".targetId"), 0,
                    std::numeric_limits<uint32_t>::max())
                : std::nullopt;
            const auto entryMessage
                = target ? r.Int32(*entryObject, entryAt, "messageId") : std::nullopt;
            if (!entryMessage)
                return false;
            profile->entries.push_back(std::make_unique<ProfileEntry>(ProfileEntry {
                static_cast<uint8_t>(*kind), static_cast<uint32_t>(*target), *entryMessage}));
        }
        profiles.push_back(std::move(profile));
    }
    return true;
}

// Pelmora's own options as the document holds them; none (with a warning)
// when the file is there but cannot be read.
std::optional<QJsonObject> OptionsJson(const std::filesystem::path& dir, QStringList& warnings)
{
    OwnSettings options;
    QString error;
    if (!LoadOwnSettings(dir, options, error)) {
        warnings << QStringLiteral("%1; left out").arg(error);
        return std::nullopt;
    }
    return OwnSettingsToJson(options);
}

} // namespace

QJsonObject DumpDataDirectory(
    const std::filesystem::path& dir, QStringList& warnings, QStringList* unread)
{
    ResetStores();
    SettingsRecord settings;
    // The application's order: groups, templates, profiles, then settings.
    LoadGroupsWithWarnings(dir, warnings, unread);
    LoadTemplatesWithWarnings(dir, warnings, unread);
    LoadProfilesWithWarnings(dir, warnings, unread);
    LoadSettingsWithWarnings(dir, settings, warnings, unread);
    WarnAboutDuplicateIds(Groups(), Templates(), Profiles(), warnings);
    QJsonObject document {{QStringLiteral("settings"), SettingsJson(settings)},
        {QStringLiteral("groups"), GroupsJson()}, {QStringLiteral("templates"), TemplatesJson()},
        {QStringLiteral("profiles"), ProfilesJson()}};
    ResetStores();
    if (const auto options = OptionsJson(dir, warnings))
        document.insert(QStringLiteral("options"), *options);
    return document;
}

std::optional<QJsonObject> DumpDataFile(
    const std::filesystem::path& file, QStringList& warnings, QString& error, QStringList* unread)
{
    const std::string name = file.filename().string();
    if (!std::filesystem::is_regular_file(file)) {
        error = QStringLiteral("%1: no such file").arg(QString::fromStdString(file.string()));
        return std::nullopt;
    }
    // Each store reads its own file name; a copy under another folder works.
    const std::filesystem::path dir
        = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    ResetStores();
    QJsonObject document;
    if (name == kSettingsFileName) {
        SettingsRecord settings;
        LoadSettingsWithWarnings(dir, settings, warnings, unread);
        document.insert(QStringLiteral("settings"), SettingsJson(settings));
    } else if (name == kGroupsFileName) {
        LoadGroupsWithWarnings(dir, warnings, unread);
        document.insert(QStringLiteral("groups"), GroupsJson());
    } else if (name == kTemplatesFileName) {
        LoadTemplatesWithWarnings(dir, warnings, unread);
        document.insert(QStringLiteral("templates"), TemplatesJson());
    } else if (name == kProfilesFileName) {
        LoadProfilesWithWarnings(dir, warnings, unread);
        document.insert(QStringLiteral("profiles"), ProfilesJson());
    } else if (name == kOwnSettingsFileName) {
        if (const auto options = OptionsJson(dir, warnings))
            document.insert(QStringLiteral("options"), *options);
    } else {
        error = QStringLiteral("%1: not a Pelmora data file (expected %2, %3, %4, %5 or %6)")
                    .arg(QString::fromStdString(name), FileName(kSettingsFileName),
                        FileName(kGroupsFileName), FileName(kTemplatesFileName),
                        FileName(kProfilesFileName), FileName(kOwnSettingsFileName));
        return std::nullopt;
    }
    ResetStores();
    return document;
}

bool LoadDataDocument(
    const QByteArray& json, const std::filesystem::path& dir, QString& error, QStringList& warnings)
{
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError) {
        error = QStringLiteral("invalid JSON at offset %1: %2")
                    .arg(parse.offset)
                    .arg(parse.errorString());
        return false;
    }
    if (!document.isObject()) {
        error = QStringLiteral("document: expected an object");
        return false;
    }
    const QJsonObject root = document.object();
    Reader r;
    SettingsRecord settings;
    GroupList groups;
    TemplateList templates;
    ProfileList profiles;
    const auto settingsValue = r.Field(root, QStringLiteral("document"), "settings");
    const auto settingsObject
        = settingsValue ? r.Object(*settingsValue, QStringLiteral("settings")) : std::nullopt;
    bool ok = settingsObject && ReadSettings(r, *settingsObject, settings);
    const auto groupsArray
        = ok ? r.Array(root, QStringLiteral("document"), "groups") : std::nullopt;
    ok = groupsArray && ReadGroups(r, *groupsArray, groups);
    const auto templatesArray
        = ok ? r.Array(root, QStringLiteral("document"), "templates") : std::nullopt;
    ok = templatesArray && ReadTemplates(r, *templatesArray, templates);
    const auto profilesArray
        = ok ? r.Array(root, QStringLiteral("document"), "profiles") : std::nullopt;
    ok = profilesArray && ReadProfiles(r, *profilesArray, profiles);
    if (!ok) {
        error = r.error;
        return false;
    }
    WarnAboutDuplicateIds(groups, templates, profiles, warnings);
    // Pelmora's own options are optional in a document: without them the
    // options file stays as it is.
    std::optional<OwnSettings> options;
    if (root.contains(QStringLiteral("options"))) {
        std::set<int32_t> profileIds;
        for (const auto& profile : profiles)
            profileIds.insert(profile->id);
        QString where;
        options = OwnSettingsFromJson(
            root.value(QStringLiteral("options")).toObject(), &profileIds, where);
        if (!options) {
            error = QStringLiteral("options.%1").arg(where);
            return false;
        }
    }

    // The stores' own encoders write the files, as SaveAll does, all four
    // together: a failure leaves the previous set as it was.
    std::error_code created;
    std::filesystem::create_directories(dir, created);
    const std::vector<uint8_t> groupBytes = EncodeGroups(groups);
    const std::vector<uint8_t> templateBytes = EncodeTemplates(templates);
    const std::vector<uint8_t> profileBytes = EncodeProfiles(profiles);
    const std::vector<uint8_t> settingsBytes = settings.Encode();
    std::vector<FileContent> files = {
        {dir / kGroupsFileName, groupBytes},
        {dir / kTemplatesFileName, templateBytes},
        {dir / kProfilesFileName, profileBytes},
        {dir / kSettingsFileName, settingsBytes},
    };
    // The options, when the document has them, go with the four.
    const QByteArray optionsBytes = options ? EncodeOwnSettings(*options) : QByteArray();
    if (options)
        files.push_back({dir / kOwnSettingsFileName,
            std::span(reinterpret_cast<const uint8_t*>(optionsBytes.constData()),
                static_cast<size_t>(optionsBytes.size()))});
    if (const SaveResult written = WriteFilesTogether(files); !written) {
        error = QStringLiteral("%1: cannot be written (%2)")
                    .arg(QString::fromStdString(written.file.string()),
                        QString::fromLocal8Bit(written.reason.c_str()));
        return false;
    }
    return true;
}

} // namespace pelmora
