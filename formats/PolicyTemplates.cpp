#include "formats/PolicyTemplates.h"

#include <vector>

#include "settings/Presets.h"
#include "settings/RegistryLayout.h"
#include "settings/FieldRules.h"
#include "settings/SettingsModel.h"
#include "formats/Xml.h"

namespace kmx {
namespace {

// The namespace carries the template's version: a change that renames or
// retypes a policy gets a new one, so that GPOs of the old one stay readable.
constexpr wchar_t kNamespace[] = L"Korvex.Policies.KMXLogCtl.v1";
constexpr wchar_t kPrefix[] = L"kmxlogctl";
constexpr wchar_t kRevision[] = L"1.0";
constexpr wchar_t kSupportedOn[] = L"SUPPORTED_KMXLogCtl";
// The preset policy keeps its choice where Group Policy removes it again;
// its marks go to the logging key.
constexpr wchar_t kPresetChoiceKey[] = L"Software\\Policies\\Korvex\\Logging";
constexpr wchar_t kPresetChoiceName[] = L"Preset";

struct Category {
    const wchar_t* name;
    const wchar_t* parent;  // nullptr at the top
    const wchar_t* displayName;
};
constexpr Category kCategories[] = {
    {L"Korvex", nullptr, L"Korvex"},
    {L"ConnectorLogging", L"Korvex", L"Connector logging"},
    {L"LogFile", L"ConnectorLogging", L"Log file"},
    {L"Threads", L"ConnectorLogging", L"Threads"},
    {L"Areas", L"ConnectorLogging", L"Areas"},
    {L"DetailLevel", L"ConnectorLogging", L"Detail level"},
};

// Where a policy's elements come from: a check box group of the preset table
// (with a heading, or none), or one setting.
struct Source {
    bool isGroup;
    BoxGroup group;
    SettingId setting;
    const wchar_t* heading;
};
Source Group(BoxGroup group, const wchar_t* heading = nullptr) { return {true, group, kEnabled, heading}; }
Source One(SettingId setting) { return {false, BoxGroup::AllThreads, setting, nullptr}; }

enum class Shape {
    Switch,    // the policy's own value: Enabled writes 1, Disabled 0
    Elements,  // a check box, number or text per setting
    Presets,   // a drop-down list of the presets
};

// The policies, as the window's frames group its fields.
struct PolicyLayout {
    const wchar_t* name;
    const wchar_t* category;
    Shape shape;
    std::vector<Source> sources;
    const wchar_t* displayName;
    const wchar_t* explain;
};

const std::vector<PolicyLayout>& Layouts() {
    static const std::vector<PolicyLayout> layouts = {
        {L"Logging",
         L"ConnectorLogging",
         Shape::Switch,
         {One(kEnabled)},
         L"Connector logging on or off",
         L"Enabled turns the connector's diagnostic logging on (Enabled = 1), Disabled turns it off "
         L"(Enabled = 0), as the window's \"Enable Logging\" box does."},
        {L"Preset",
         L"ConnectorLogging",
         Shape::Presets,
         {},
         L"Logging preset",
         L"Applies one of the window's presets: each item writes exactly the check marks that preset's "
         L"button sets, and leaves every other value alone. The \"Default\" preset's ThreadLanes mark "
         L"depends on the installation, so it comes as two items: \"Default\" for the standard connector "
         L"(ThreadLanes = 1) and \"Default (BlackBerry server)\" (ThreadLanes = 0). The choice itself is "
         L"kept as Preset under HKEY_CURRENT_USER\\Software\\Policies\\Korvex\\Logging, which Group Policy "
         L"removes with the policy; the marks stay, also when the policy is set to Disabled. Do not set the "
         L"Threads, Areas or Detail level "
         L"policies in the same GPO: which of them applies last is not defined.\n\nThe marks of each item "
         L"(1 checked, 0 unchecked):"},
        {L"CalendarTracking",
         L"ConnectorLogging",
         Shape::Switch,
         {One(kEnableAppDump)},
         L"Calendar tracking",
         L"Enabled writes EnableAppDump = 1, Disabled EnableAppDump = 0. When the logging window opens it "
         L"writes EnableAppDump = 0 unless ShowAppDump is greater than 0 on the client, so the value holds "
         L"only where ShowAppDump allows it, or until the window is next opened."},
        {L"LogFileLocation",
         L"LogFile",
         Shape::Elements,
         {One(kFileName)},
         L"Log file location",
         L"Sets FileName (REG_SZ): the log directory, a backslash and the file prefix, in one string as the "
         L"window stores them (for example D:\\Logs\\kmx writes logs named kmx-... into D:\\Logs). The "
         L"directory must exist on each client: the template cannot check it. The window and kmxlogcfg "
         L"refuse to save while it is missing."},
        {L"LogFileLimits",
         L"LogFile",
         Shape::Elements,
         {One(kEnableMaxAge), One(kMaxAgeDays), One(kEnableRoll), One(kMaxFileSizeMB), One(kKeepLogging),
          One(kEnableMaxDirSize), One(kMaxDirSizeMB)},
         L"Log file purging and rolling",
         L"Sets the purging and rolling of the log files, as the window's \"Log File\" frame shows them: a "
         L"checked box writes 1, an unchecked one 0; the numbers take what the window's fields can save. "
         L"The directory size (MaxDirSizeMB) must be at least ten times the single-file size "
         L"(MaxFileSizeMB): the template cannot enforce it. The window and kmxlogcfg refuse to save other "
         L"sizes, so a client given them keeps them until someone corrects them there."},
        {L"Threads",
         L"Threads",
         Shape::Elements,
         {Group(BoxGroup::AllThreads),
          Group(BoxGroup::SingleThread, L"Single threads (when ThreadAllThreads is off):"),
          Group(BoxGroup::Output, L"Output options:"), One(kMaxCallDepth)},
         L"Threads and output options",
         L"Sets the check boxes of the window's \"Threads\" frame and the call depth: a checked box writes "
         L"1, an unchecked one 0."},
        {L"Areas",
         L"Areas",
         Shape::Elements,
         {Group(BoxGroup::Area)},
         L"Areas",
         L"Sets the check boxes of the window's \"Areas\" frame: a checked box writes 1, an unchecked one "
         L"0."},
        {L"DetailLevel",
         L"DetailLevel",
         Shape::Elements,
         {Group(BoxGroup::Function, L"Function:"), Group(BoxGroup::Comment, L"Comment:")},
         L"Detail level",
         L"Sets the check boxes of the window's \"Detail Level\" frame: a checked box writes 1, an "
         L"unchecked one 0."},
    };
    return layouts;
}

// What every policy's explanation ends with: what the window says nothing about.
constexpr wchar_t kCommonExplain[] =
    L"\n\nThe values go to HKEY_CURRENT_USER\\Software\\Korvex\\Logging, the key the connector reads. It "
    L"lies outside Software\\Policies, so they are preferences: they stay after the policy is removed or "
    L"set to Not Configured. To undo, set the values wanted, or run kmxlogcfg reset. Disabled removes the "
    L"values the policy names, unless it says otherwise; the logging window writes their factory defaults "
    L"when it next opens. The connector reads the values at its own times, not when Group Policy applies "
    L"them.";

// A policy element: one setting's value.
std::vector<SettingId> SettingsOf(const Source& source) {
    return source.isGroup ? BoxesOf(source.group) : std::vector<SettingId>{source.setting};
}

std::wstring Number(std::int64_t n) { return std::to_wstring(n); }

std::wstring DecimalValue(std::int64_t n) { return L"<decimal value=\"" + Number(n) + L"\"/>"; }

// One item of the preset list: a preset, and for the preset whose output
// marks depend on the connector variant, the variant.
struct PresetItem {
    const Preset* preset;
    int isBESKMX;
    std::wstring id;
    std::wstring displayName;
    std::vector<PresetMark> marks;  // in the order the preset sets them
};

std::vector<PresetItem> PresetItems() {
    std::vector<PresetItem> items;
    for (const Preset& preset : Presets()) {
        const std::size_t column = static_cast<std::size_t>(preset.id);
        std::wstring id = L"Preset_";
        for (const wchar_t* c = kPresetNames[column]; *c != L'\0'; ++c)
            if (*c != L' ') id += *c;
        const auto marksFor = [&](int isBESKMX) {
            std::vector<PresetMark> marks = {{kThreadAllThreads, preset.allThreadsMark}};
            marks.insert(marks.end(), preset.boxMarks.begin(), preset.boxMarks.end());
            const std::vector<PresetMark> output = OutputOptionMarks(preset, isBESKMX);
            marks.insert(marks.end(), output.begin(), output.end());
            return marks;
        };
        const std::vector<PresetMark> standard = marksFor(0), bes = marksFor(1);
        bool variantMatters = false;
        for (std::size_t i = 0; i < standard.size(); ++i) variantMatters |= standard[i].mark != bes[i].mark;
        items.push_back({&preset, 0, id, kPresetNames[column], standard});
        if (variantMatters)
            items.push_back({&preset, 1, id + L"_BES",
                             std::wstring(kPresetNames[column]) + L" (BlackBerry server)", bes});
    }
    return items;
}

std::wstring PresetMarksText(const PresetItem& item) {
    std::wstring text = L"\n" + item.displayName + L":";
    for (std::size_t i = 0; i < item.marks.size(); ++i)
        text += std::wstring(i == 0 ? L" " : L", ") + Info(item.marks[i].setting).name + L"=" +
                Number(item.marks[i].mark);
    return text;
}

std::wstring RangeText(SettingId limit) {
    const LimitRange range = WritableRange(limit);
    return Number(range.min) + L"-" + Number(range.max);
}

// The factory values of the settings a presentation shows as defaults
// (the standard connector's; no log directory, which is the client's
// temporary folder).
const SettingsModel& Factory() {
    static const SettingsModel model = [] {
        SettingsModel factory;
        ApplyFactoryDefaults(factory, L"", 0);
        return factory;
    }();
    return model;
}

// FileName holds at most what loading reads: 259 characters.
constexpr std::uint32_t kFileNameMaxChars = kFileNameCapacityBytes / 2 - 1;

std::wstring ElementXml(SettingId id) {
    const std::wstring name = Info(id).name;
    const std::wstring head = Attr(L"id", name) + Attr(L"valueName", name);
    switch (Info(id).kind) {
        case SettingKind::Switch:
            return L"<boolean" + head + L"><trueValue>" + DecimalValue(1) + L"</trueValue><falseValue>" +
                   DecimalValue(0) + L"</falseValue></boolean>";
        case SettingKind::Limit: {
            const LimitRange range = WritableRange(id);
            return L"<decimal" + head + L" required=\"true\"" + Attr(L"minValue", Number(range.min)) +
                   Attr(L"maxValue", Number(range.max)) + L"/>";
        }
        case SettingKind::FileName:
            return L"<text" + head + L" required=\"true\"" + Attr(L"maxLength", Number(kFileNameMaxChars)) +
                   L"/>";
    }
    return L"";
}

std::wstring ControlXml(SettingId id) {
    const std::wstring name = Info(id).name;
    switch (Info(id).kind) {
        case SettingKind::Switch:
            return L"<checkBox" + Attr(L"refId", name) +
                   Attr(L"defaultChecked", Factory().value[id] != 0 ? L"true" : L"false") + L">" +
                   XmlEscaped(name) + L"</checkBox>";
        case SettingKind::Limit:
            return L"<decimalTextBox" + Attr(L"refId", name) +
                   Attr(L"defaultValue", Number(Factory().value[id])) + L">" +
                   XmlEscaped(name + L" (" + RangeText(id) + L"):") + L"</decimalTextBox>";
        case SettingKind::FileName:
            return L"<textBox" + Attr(L"refId", name) + L"><label>" +
                   XmlEscaped(name + L" (directory\\prefix):") + L"</label></textBox>";
    }
    return L"";
}

std::wstring PresetEnumXml() {
    std::wstring xml = L"<enum id=\"Preset\"" + Attr(L"key", kPresetChoiceKey) +
                       Attr(L"valueName", kPresetChoiceName) + L" required=\"true\">";
    int index = 0;
    for (const PresetItem& item : PresetItems()) {
        xml += L"<item displayName=\"$(string." + item.id + L")\"><value>" + DecimalValue(index++) +
               L"</value><valueList" + Attr(L"defaultKey", kLoggingKeyPath) + L">";
        for (const PresetMark& mark : item.marks)
            xml += L"<item" + Attr(L"valueName", Info(mark.setting).name) + L"><value>" +
                   DecimalValue(mark.mark) + L"</value></item>";
        xml += L"</valueList></item>";
    }
    return xml + L"</enum>";
}

std::wstring PolicyXml(const PolicyLayout& layout) {
    const std::wstring name = layout.name;
    std::wstring xml = L"    <policy" + Attr(L"name", name) + L" class=\"User\"" +
                       Attr(L"displayName", L"$(string." + name + L")") +
                       Attr(L"explainText", L"$(string." + name + L"_Explain)");
    if (layout.shape != Shape::Switch) xml += Attr(L"presentation", L"$(presentation." + name + L")");
    xml += Attr(L"key", kLoggingKeyPath);
    if (layout.shape == Shape::Switch) xml += Attr(L"valueName", Info(layout.sources[0].setting).name);
    xml += L">\n      <parentCategory" + Attr(L"ref", layout.category) + L"/>\n      <supportedOn" +
           Attr(L"ref", kSupportedOn) + L"/>\n";
    switch (layout.shape) {
        case Shape::Switch:
            xml += L"      <enabledValue>" + DecimalValue(1) + L"</enabledValue>\n      <disabledValue>" +
                   DecimalValue(0) + L"</disabledValue>\n";
            break;
        case Shape::Elements:
            xml += L"      <elements>\n";
            for (const Source& source : layout.sources)
                for (SettingId id : SettingsOf(source)) xml += L"        " + ElementXml(id) + L"\n";
            xml += L"      </elements>\n";
            break;
        case Shape::Presets:
            xml += L"      <elements>\n        " + PresetEnumXml() + L"\n      </elements>\n";
            break;
    }
    return xml + L"    </policy>\n";
}

std::wstring PresentationXml(const PolicyLayout& layout) {
    std::wstring xml = L"        <presentation" + Attr(L"id", layout.name) + L">\n";
    if (layout.shape == Shape::Presets) {
        std::size_t defaultItem = 0;
        const std::vector<PresetItem> items = PresetItems();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].preset->id == PresetId::Default && items[i].isBESKMX == 0) defaultItem = i;
        xml += L"          <dropdownList refId=\"Preset\" noSort=\"true\"" +
               Attr(L"defaultItem", Number(defaultItem)) + L">Preset:</dropdownList>\n";
    }
    for (const Source& source : layout.sources) {
        if (source.heading != nullptr) xml += L"          <text>" + XmlEscaped(source.heading) + L"</text>\n";
        for (SettingId id : SettingsOf(source)) xml += L"          " + ControlXml(id) + L"\n";
    }
    return xml + L"        </presentation>\n";
}

std::wstring ExplainOf(const PolicyLayout& layout) {
    std::wstring text = layout.explain;
    if (layout.shape == Shape::Presets)
        for (const PresetItem& item : PresetItems()) text += PresetMarksText(item);
    for (const Source& source : layout.sources)
        for (SettingId id : SettingsOf(source))
            if (Info(id).kind == SettingKind::Limit)
                text += L"\n" + std::wstring(Info(id).name) + L": " + RangeText(id) + L", factory default " +
                        Number(Factory().value[id]) + L".";
    return text + kCommonExplain;
}

std::wstring StringXml(const std::wstring& id, const std::wstring& text) {
    return L"        <string" + Attr(L"id", id) + L">" + XmlEscaped(text) + L"</string>\n";
}

constexpr wchar_t kGeneratedNote[] =
    L"<!-- Generated by kmxlogcfg admx from the logging settings it knows; regenerate rather than edit. "
    L"-->\n";
constexpr wchar_t kSchemaNamespace[] = L"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

// The declaration, the note and the root element both files open with.
std::wstring DocumentStart(const wchar_t* root) {
    return kXmlDeclaration + std::wstring(kGeneratedNote) + L"<" + root +
           L" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           L"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"" +
           Attr(L"revision", kRevision) + L" schemaVersion=\"1.0\"" + Attr(L"xmlns", kSchemaNamespace) +
           L">\n";
}

}  // namespace

LimitRange WritableRange(SettingId limit) {
    std::uint32_t largest = 0;
    for (int digit = 0; digit < Info(limit).maxChars; ++digit) largest = largest * 10 + 9;
    SettingsModel model;
    model.text[limit] = L"0";
    // Where Save writes a factory size for 0, the smallest it can write is 1.
    return {LimitToWrite(model, limit) == 0 ? 0u : 1u, largest};
}

std::string PolicyDefinitionsXml() {
    std::wstring xml = DocumentStart(L"policyDefinitions");
    xml += L"  <policyNamespaces>\n    <target" + Attr(L"prefix", kPrefix) + Attr(L"namespace", kNamespace) +
           L"/>\n  </policyNamespaces>\n";
    xml += L"  <resources" + Attr(L"minRequiredRevision", kRevision) + L"/>\n";
    xml += L"  <supportedOn>\n    <definitions>\n      <definition" + Attr(L"name", kSupportedOn) +
           Attr(L"displayName", std::wstring(L"$(string.") + kSupportedOn + L")") +
           L"/>\n    </definitions>\n  </supportedOn>\n";
    xml += L"  <categories>\n";
    for (const Category& category : kCategories) {
        xml += L"    <category" + Attr(L"name", category.name) +
               Attr(L"displayName", std::wstring(L"$(string.") + category.name + L")");
        xml += category.parent == nullptr
                   ? L"/>\n"
                   : L">\n      <parentCategory" + Attr(L"ref", category.parent) + L"/>\n    </category>\n";
    }
    xml += L"  </categories>\n  <policies>\n";
    for (const PolicyLayout& layout : Layouts()) xml += PolicyXml(layout);
    xml += L"  </policies>\n</policyDefinitions>\n";
    return ToUtf8(xml);
}

std::string PolicyResourcesXml() {
    std::wstring xml = DocumentStart(L"policyDefinitionResources");
    xml += L"  <displayName>Korvex connector logging</displayName>\n";
    xml += L"  <description>The logging settings of the Korvex mail connector (KMXLogCtl)</description>\n";
    xml += L"  <resources>\n    <stringTable>\n";
    xml += StringXml(kSupportedOn, L"The Korvex mail connector with KMXLogCtl");
    for (const Category& category : kCategories) xml += StringXml(category.name, category.displayName);
    for (const PolicyLayout& layout : Layouts()) {
        xml += StringXml(layout.name, layout.displayName);
        xml += StringXml(std::wstring(layout.name) + L"_Explain", ExplainOf(layout));
    }
    for (const PresetItem& item : PresetItems()) xml += StringXml(item.id, item.displayName);
    xml += L"    </stringTable>\n    <presentationTable>\n";
    for (const PolicyLayout& layout : Layouts())
        if (layout.shape != Shape::Switch) xml += PresentationXml(layout);
    xml += L"    </presentationTable>\n  </resources>\n</policyDefinitionResources>\n";
    return ToUtf8(xml);
}

}  // namespace kmx
