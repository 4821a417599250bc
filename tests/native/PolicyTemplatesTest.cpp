// The administrative templates read back with an XML reader and checked
// against the catalogue and the preset table; the schema check when the
// schema is at hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <unistd.h>

#include "XmlReader.h"
#include "formats/PolicyTemplates.h"
#include "settings/Presets.h"
#include "settings/SettingsModel.h"

namespace kmx {
namespace {

using xmltest::Element;

const std::wstring kLoggingKey = L"Software\\Korvex\\Logging";

// Every reference of the form $(kind.id) in an attribute value, anywhere below.
void References(const Element& element, const std::wstring& kind, std::vector<std::wstring>& out) {
    for (const auto& [key, value] : element.attributes) {
        const std::wstring head = L"$(" + kind + L".";
        if (value.rfind(head, 0) == 0 && value.back() == L')')
            out.push_back(value.substr(head.size(), value.size() - head.size() - 1));
    }
    for (const auto& child : element.children) References(*child, kind, out);
}

class PolicyTemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_admx = xmltest::Reader::Parse(PolicyDefinitionsXml());
        m_adml = xmltest::Reader::Parse(PolicyResourcesXml());
        const Element& resources = *m_adml->First(L"resources");
        for (const Element* s : resources.First(L"stringTable")->All(L"string"))
            m_strings[s->Attr(L"id")] = s->text;
        for (const Element* p : resources.First(L"presentationTable")->All(L"presentation"))
            m_presentations[p->Attr(L"id")] = p;
    }
    std::vector<const Element*> Policies() const { return m_admx->First(L"policies")->All(L"policy"); }

    std::unique_ptr<Element> m_admx, m_adml;
    std::map<std::wstring, std::wstring> m_strings;
    std::map<std::wstring, const Element*> m_presentations;
};

TEST_F(PolicyTemplatesTest, ReferencesResolveAndEveryElementHasItsControl) {
    EXPECT_EQ(L"policyDefinitions", m_admx->name);
    EXPECT_EQ(L"1.0", m_admx->Attr(L"schemaVersion"));
    EXPECT_NE(std::wstring::npos,
              m_admx->First(L"policyNamespaces")->First(L"target")->Attr(L"namespace").find(L".v"));
    std::vector<std::wstring> strings, presentations;
    References(*m_admx, L"string", strings);
    References(*m_admx, L"presentation", presentations);
    for (const std::wstring& id : strings)
        EXPECT_EQ(1u, m_strings.count(id)) << "$(string." << id.c_str() << ")";
    for (const std::wstring& id : presentations) EXPECT_EQ(1u, m_presentations.count(id)) << id.c_str();

    std::vector<const Element*> comboBoxes;
    m_adml->Collect(L"comboBox", comboBoxes);
    EXPECT_TRUE(comboBoxes.empty());
    const std::map<std::wstring, std::wstring> controlOf = {{L"boolean", L"checkBox"},
                                                            {L"decimal", L"decimalTextBox"},
                                                            {L"text", L"textBox"},
                                                            {L"enum", L"dropdownList"}};
    for (const Element* policy : Policies()) {
        SCOPED_TRACE(policy->Attr(L"name").c_str());
        EXPECT_EQ(L"User", policy->Attr(L"class"));
        EXPECT_EQ(kLoggingKey, policy->Attr(L"key"));
        EXPECT_TRUE(policy->Has(L"explainText"));
        EXPECT_NE(nullptr, policy->First(L"supportedOn"));
        const Element* elements = policy->First(L"elements");
        if (elements == nullptr) continue;
        const std::wstring reference = policy->Attr(L"presentation");
        const auto presentation = m_presentations.find(reference.substr(15, reference.size() - 16));
        ASSERT_NE(m_presentations.end(), presentation);
        std::map<std::wstring, std::wstring> controls;  // refId -> control kind
        for (const auto& control : presentation->second->children)
            if (control->Has(L"refId")) controls[control->Attr(L"refId")] = control->name;
        EXPECT_EQ(elements->children.size(), controls.size());
        for (const auto& element : elements->children)
            EXPECT_EQ(controlOf.at(element->name), controls[element->Attr(L"id")])
                << element->Attr(L"id").c_str();
    }
}

// What a policy writes for each of the 57 values: its registry type, its
// range and the presentation's default, as the window's fields allow.
TEST_F(PolicyTemplatesTest, EveryValueIsReachableWithItsTypeRangeAndDefault) {
    struct Expected {
        SettingId id;
        std::uint32_t min, max, defaultValue;
    };
    const Expected limits[] = {{kMaxFileSizeMB, 1, 999, 10},
                               {kMaxDirSizeMB, 1, 9999, 100},
                               {kMaxAgeDays, 0, 999, 7},
                               {kMaxCallDepth, 0, 999, 100}};
    SettingsModel factory;
    ApplyFactoryDefaults(factory, L"C:\\Temp\\", 0);

    std::map<std::wstring, int> seen;
    for (const Element* policy : Policies()) {
        if (policy->Has(L"valueName")) {  // a policy of one switch
            ++seen[policy->Attr(L"valueName")];
            EXPECT_EQ(L"1", policy->First(L"enabledValue")->First(L"decimal")->Attr(L"value"));
            EXPECT_EQ(L"0", policy->First(L"disabledValue")->First(L"decimal")->Attr(L"value"));
            continue;
        }
        const std::wstring reference = policy->Attr(L"presentation");
        const Element* presentation = m_presentations.at(reference.substr(15, reference.size() - 16));
        std::map<std::wstring, const Element*> controls;
        for (const auto& control : presentation->children) controls[control->Attr(L"refId")] = control.get();
        for (const auto& element : policy->First(L"elements")->children) {
            if (element->name == L"enum") continue;  // the presets, below
            const std::wstring name = element->Attr(L"valueName");
            SCOPED_TRACE(name.c_str());
            ++seen[name];
            EXPECT_FALSE(element->Has(L"key"));
            const std::optional<SettingId> id = FindSettingByName(name);
            ASSERT_TRUE(id);
            const Element* control = controls.at(element->Attr(L"id"));
            switch (Info(*id).kind) {
                case SettingKind::Switch:
                    EXPECT_EQ(L"boolean", element->name);
                    EXPECT_EQ(L"1", element->First(L"trueValue")->First(L"decimal")->Attr(L"value"));
                    EXPECT_EQ(L"0", element->First(L"falseValue")->First(L"decimal")->Attr(L"value"));
                    EXPECT_EQ(factory.value[*id] != 0 ? L"true" : L"false", control->Attr(L"defaultChecked"));
                    break;
                case SettingKind::Limit: {
                    const Expected* expected = nullptr;
                    for (const Expected& limit : limits)
                        if (limit.id == *id) expected = &limit;
                    ASSERT_NE(nullptr, expected);
                    EXPECT_EQ(L"decimal", element->name);
                    EXPECT_FALSE(element->Has(L"storeAsText"));  // REG_DWORD
                    EXPECT_EQ(std::to_wstring(expected->min), element->Attr(L"minValue"));
                    EXPECT_EQ(std::to_wstring(expected->max), element->Attr(L"maxValue"));
                    EXPECT_EQ(std::to_wstring(expected->defaultValue), control->Attr(L"defaultValue"));
                    break;
                }
                case SettingKind::FileName:
                    EXPECT_EQ(L"text", element->name);  // REG_SZ
                    EXPECT_FALSE(element->Has(L"expandable"));
                    EXPECT_EQ(L"259", element->Attr(L"maxLength"));
                    break;
            }
        }
    }
    for (const SettingInfo& info : kCatalogue) EXPECT_EQ(1, seen[info.name]) << info.name;
    EXPECT_EQ(kSettingCount, seen.size());
}

// Each item of the preset list writes exactly the marks of its preset (for
// "Default", one item per connector variant) and nothing else.
TEST_F(PolicyTemplatesTest, PresetItemsWriteExactlyThePresetsMarks) {
    std::set<std::map<std::wstring, std::wstring>> expected;
    for (const Preset& preset : Presets()) {
        for (int isBES : {0, 1}) {
            SettingsModel model;
            model.value.fill(-1);
            ApplyPresetMarks(preset, isBES, model);
            std::map<std::wstring, std::wstring> marks;
            for (std::size_t i = 0; i < kSettingCount; ++i)
                if (model.value[i] != -1) marks[kCatalogue[i].name] = std::to_wstring(model.value[i]);
            expected.insert(marks);
        }
    }
    std::vector<const Element*> enums;
    m_admx->Collect(L"enum", enums);
    ASSERT_EQ(1u, enums.size());
    EXPECT_EQ(0u, enums[0]->Attr(L"key").rfind(L"Software\\Policies\\", 0));
    std::set<std::map<std::wstring, std::wstring>> written;
    std::set<std::wstring> values;
    for (const Element* item : enums[0]->All(L"item")) {
        values.insert(item->First(L"value")->First(L"decimal")->Attr(L"value"));
        const Element* list = item->First(L"valueList");
        EXPECT_EQ(kLoggingKey, list->Attr(L"defaultKey"));
        std::map<std::wstring, std::wstring> marks;
        for (const Element* mark : list->All(L"item")) {
            EXPECT_FALSE(mark->Has(L"key"));
            marks[mark->Attr(L"valueName")] = mark->First(L"value")->First(L"decimal")->Attr(L"value");
        }
        written.insert(marks);
    }
    EXPECT_EQ(expected, written);
    EXPECT_EQ(kPresetCount + 1, enums[0]->All(L"item").size());  // "Default" twice
    EXPECT_EQ(enums[0]->All(L"item").size(), values.size());
}

TEST_F(PolicyTemplatesTest, FilesValidateAgainstThePublishedSchema) {
    const std::filesystem::path source =
        std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    const std::filesystem::path schema =
        source / ".." / "shared" / "schemas" / "admx" / "PolicyDefinitionFiles.xsd";
    if (!std::filesystem::exists(schema) || std::system("xmllint --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no schema or xmllint here";
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("kmx-admx-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "KMXLogCtl.admx", std::ios::binary) << PolicyDefinitionsXml();
    std::ofstream(dir / "KMXLogCtl.adml", std::ios::binary) << PolicyResourcesXml();
    for (const char* file : {"KMXLogCtl.admx", "KMXLogCtl.adml"}) {
        const std::string command =
            "xmllint --noout --schema '" + schema.string() + "' '" + (dir / file).string() + "' 2>&1";
        EXPECT_EQ(0, std::system(command.c_str())) << file;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kmx
