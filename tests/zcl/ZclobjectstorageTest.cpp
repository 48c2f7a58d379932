// Object storage: chosen published properties of a form's components kept in a stream and in a binary registry
// value (read back raw), and the hook that loads them when the form is made and saves them when it closes.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "StoreTestHelpers.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/Forms.h"
#include "zcl/containers/Zclobjectstorage.h"

using namespace storetest;

namespace {

const char TestKey[] = "Software\\DravikTest\\ZclObjectStorage";

class TPart : public TComponent {
public:
    explicit TPart(TComponent* owner) : TComponent(owner) {}
    AnsiString Text() const { return text_; }
    void SetText(const AnsiString& v) { text_ = v; }
    int Count() const { return count_; }
    void SetCount(int v) { count_ = v; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v) { checked_ = v; }
    // One of choices() choices: a stored choice that no longer exists is refused.
    int Choice() const { return choice_; }
    void SetChoice(int v)
    {
        if (v < 0 || v >= choices) throw EListError("List index out of bounds (" + IntToStr(v) + ")");
        choice_ = v;
    }
    static inline int choices = 3;

private:
    int choice_ = 0;
    AnsiString text_;
    int count_ = 0;
    bool checked_ = false;
};

std::vector<std::string>* eventLog = nullptr;

// A form built in code: two parts and the storage, made inside the loading protocol.
class TStoredForm : public TForm {
public:
    explicit TStoredForm(TComponent* owner, const AnsiString& path, bool withItems = true) : TForm(owner)
    {
        SetName("Form1");
        TComponentLoader loading(this);
        edit = loading.Create<TPart>();
        edit->SetName("Edit1");
        check = loading.Create<TPart>();
        check->SetName("Check1");
        storage = loading.Create<TZCLObjectStorage>();
        storage->SetName("Storage");
        storage->SetRegistryPath(path);
        if (withItems) {
            const char* items[][2] = {{"Edit1", "Text"},   {"Check1", "Checked"}, {"Missing", "Text"},
                                      {"Edit1", "NoSuch"}, {"Edit1", "text"},      {"Form1", "Note"}};
            for (const auto& i : items) {
                TZCLPropertyStorageItem* item = storage->Properties()->Add();
                item->SetComponentName(i[0]);
                item->SetName(i[1]);
            }
        }
        SetOnCreate(TNotifyEvent::From([](TObject*) { Log("form create"); }));
        SetOnClose(TCloseEvent::From([this](TObject*, TCloseAction& a) {
            Log("form close");
            a = closeAction;
        }));
        SetOnDestroy(TNotifyEvent::From([](TObject*) { Log("form destroy"); }));
        storage->SetOnLoading(TNotifyEvent::From([this](TObject*) { Log("loading " + std::string(edit->Text().c_str())); }));
        storage->SetOnSaving(TNotifyEvent::From([](TObject*) { Log("saving"); }));
        loading.Finish();
    }
    static void Log(const std::string& s)
    {
        if (eventLog) eventLog->push_back(s);
    }
    AnsiString Note() const { return note_; }
    void SetNote(const AnsiString& v) { note_ = v; }

    TPart* edit;
    TPart* check;
    TZCLObjectStorage* storage;
    TCloseAction closeAction = caHide;
    AnsiString note_;
};

const bool partsPublished = [] {
    PublishedProperties<TPart>()
        .String("Text", &TPart::Text, &TPart::SetText)
        .Integer("Count", &TPart::Count, &TPart::SetCount, 0)
        .Boolean("Checked", &TPart::Checked, &TPart::SetChecked, false)
        .Integer("Choice", &TPart::Choice, &TPart::SetChoice, 0);
    PublishedProperties<TStoredForm>().String("Note", &TStoredForm::Note, &TStoredForm::SetNote);
    return true;
}();

void RawDeleteTree(HKEY root, const std::string& key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    while (RegEnumKeyA(k, 0, name, sizeof name) == ERROR_SUCCESS) RawDeleteTree(root, key + "\\" + name);
    RegCloseKey(k);
    RegDeleteKeyA(root, key.c_str());
}

Bytes RawValue(HKEY root, const std::string& key, const std::string& name, DWORD* type = nullptr)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return {};
    DWORD size = 0, t = 0;
    Bytes b;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &t, nullptr, &size) == ERROR_SUCCESS) {
        b.resize(size);
        RegQueryValueExA(k, name.c_str(), nullptr, &t, b.data(), &size);
    }
    if (type) *type = t;
    RegCloseKey(k);
    return b;
}

bool RawValueExists(HKEY root, const std::string& key, const std::string& name)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    const bool found = RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(k);
    return found;
}

void RawSet(HKEY root, const std::string& key, const std::string& name, const Bytes& b)
{
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, REG_BINARY, b.data(), DWORD(b.size()));
    RegCloseKey(k);
}

// The stored list decoded with the framework's reader: each entry's component name and how many properties it
// holds (read into that component).
std::vector<std::string> Entries(const Bytes& stored, TComponent* root)
{
    std::vector<std::string> out;
    TMemoryStream s;
    s.WriteBuffer(stored.data(), int(stored.size()));
    s.SetPosition(0);
    TReader r(&s);
    r.SetRoot(root);
    r.ReadListBegin();
    while (!r.EndOfList()) {
        const AnsiString name = r.ReadString();
        TComponent* component = name == root->Name() ? root : root->FindComponent(name);
        int n = 0;
        r.ReadListBegin();
        while (!r.EndOfList()) {
            r.ReadProperty(component);
            ++n;
        }
        r.ReadListEnd();
        out.push_back(std::string(name.c_str()) + ":" + std::to_string(n));
    }
    r.ReadListEnd();
    EXPECT_EQ(s.Position(), s.Size());
    return out;
}

class ObjectStorage : public testing::Test {
protected:
    void SetUp() override
    {
        RawDeleteTree(HKEY_CURRENT_USER, TestKey);
        RawDeleteTree(HKEY_LOCAL_MACHINE, TestKey);
        eventLog = &log;
    }
    void TearDown() override
    {
        eventLog = nullptr;
        RawDeleteTree(HKEY_CURRENT_USER, TestKey);
        RawDeleteTree(HKEY_LOCAL_MACHINE, TestKey);
    }
    std::string path = std::string(TestKey) + "\\Form1\\Values";
    std::string key = std::string(TestKey) + "\\Form1";
    std::vector<std::string> log;
};

}  // namespace

TEST_F(ObjectStorage, StreamHoldsTheFoundPropertiesInOrder)
{
    TStoredForm form(nullptr, AnsiString(path));
    form.edit->SetText("typed");
    form.check->SetChecked(true);
    form.SetNote("a note");
    form.edit->SetCount(5);  // not chosen: not stored
    const Bytes stored = Written([&](TStream* s) { form.storage->SaveToStream(s); });
    EXPECT_EQ(Entries(stored, &form), (std::vector<std::string>{"Edit1:1", "Check1:1", "Form1:1"}));

    TStoredForm other(nullptr, AnsiString(path));
    other.storage->SetEnabled(false);
    GuardedStream s(stored);
    other.storage->LoadFromStream(&s);
    EXPECT_EQ(other.edit->Text(), "typed");
    EXPECT_TRUE(other.check->Checked());
    EXPECT_EQ(other.Note(), "a note");
    EXPECT_EQ(other.edit->Count(), 0);
    form.storage->SetEnabled(false);
}

TEST_F(ObjectStorage, NoItemsSaveAnEmptyListAndUnknownComponentsAreRefused)
{
    TStoredForm form(nullptr, AnsiString(path), false);
    const Bytes empty = Written([](TStream* s) {
        TWriter w(s);
        w.WriteListBegin();
        w.WriteListEnd();
    });
    EXPECT_EQ(Written([&](TStream* s) { form.storage->SaveToStream(s); }), empty);

    const Bytes ghost = Written([](TStream* s) {
        TWriter w(s);
        w.WriteListBegin();
        w.WriteString("Ghost");
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListEnd();
    });
    GuardedStream s(ghost);
    try {
        form.storage->LoadFromStream(&s);
        ADD_FAILURE() << "loaded";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Can't find component Ghost");
    }
}

TEST_F(ObjectStorage, RegistryValueIsTheStreamAndGoesAway)
{
    for (TZCLRegRoot root : {rrCurrentUser, rrLocalMachine}) {
        const HKEY hkey = root == rrCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        TStoredForm form(nullptr, AnsiString(path));
        form.storage->SetRegistryKey(root);
        form.edit->SetText("in the registry");
        form.storage->Save();
        DWORD type = 0;
        const Bytes raw = RawValue(hkey, key, "Values", &type);
        EXPECT_EQ(type, DWORD(REG_BINARY));
        EXPECT_EQ(raw, Written([&](TStream* s) { form.storage->SaveToStream(s); }));

        form.edit->SetText("");
        form.storage->Load();
        EXPECT_EQ(form.edit->Text(), "in the registry");
        form.storage->ClearData();
        EXPECT_FALSE(RawValueExists(hkey, key, "Values"));
        form.edit->SetText("kept");
        form.storage->Load();  // nothing stored: nothing changes
        EXPECT_EQ(form.edit->Text(), "kept");
        form.storage->SetEnabled(false);  // no saving when the form goes
    }
    TStoredForm none(nullptr, "");
    none.storage->Save();
    none.storage->Load();
    none.storage->ClearData();
    none.storage->SetEnabled(false);
}

TEST_F(ObjectStorage, TheHookLoadsOnCreationAndSavesOnEveryClose)
{
    {
        TStoredForm seed(nullptr, AnsiString(path));
        seed.edit->SetText("from last time");
        seed.storage->Save();
        seed.storage->SetEnabled(false);
    }
    log.clear();
    auto* form = new TStoredForm(nullptr, AnsiString(path));
    EXPECT_TRUE(form->storage->Hooked());
    form->AfterConstruction();
    EXPECT_EQ(form->edit->Text(), "from last time");
    EXPECT_EQ(log, (std::vector<std::string>{"loading ", "form create"}));

    log.clear();
    form->edit->SetText("first close");
    form->Close();
    EXPECT_EQ(log, (std::vector<std::string>{"form close", "saving"}));
    TStoredForm probe(nullptr, AnsiString(path), true);
    probe.storage->SetEnabled(false);
    probe.storage->Load();
    EXPECT_EQ(probe.edit->Text(), "first close");

    // Closed again: saved again; a refused close saves nothing.
    log.clear();
    form->edit->SetText("second close");
    form->closeAction = caNone;
    form->Close();
    form->closeAction = caHide;
    form->Close();
    EXPECT_EQ(log, (std::vector<std::string>{"form close", "form close", "saving"}));
    probe.storage->Load();
    EXPECT_EQ(probe.edit->Text(), "second close");

    log.clear();
    form->edit->SetText("at the end");
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"saving", "form destroy"}));
    probe.storage->Load();
    EXPECT_EQ(probe.edit->Text(), "at the end");
}

TEST_F(ObjectStorage, ADamagedValueDoesNotStopTheForm)
{
    RawSet(HKEY_CURRENT_USER, key, "Values", Text("\x01garbage that is no component stream"));
    auto* form = new TStoredForm(nullptr, AnsiString(path));
    form->edit->SetText("default");
    EXPECT_NO_THROW(form->AfterConstruction());
    EXPECT_EQ(form->edit->Text(), "default");
    EXPECT_EQ(log.back(), "form create");
    form->storage->SetEnabled(false);
    delete form;
}

TEST_F(ObjectStorage, AStorageMadeAtRunTimeSavesWhenFreedWhileItsFormLives)
{
    TStoredForm form(nullptr, AnsiString(path), false);
    form.storage->SetEnabled(false);
    form.edit->SetText("run time");
    auto* late = new TZCLObjectStorage(&form);
    EXPECT_FALSE(late->Hooked());
    late->SetRegistryPath(AnsiString(key + "\\Late"));
    TZCLPropertyStorageItem* item = late->Properties()->Add();
    item->SetComponentName("Edit1");
    item->SetName("Text");
    EXPECT_EQ(late->Properties()->FindItem("Edit1", "Text"), item);
    EXPECT_EQ(late->Properties()->FindItem("edit1", "Text"), nullptr);
    delete late;
    EXPECT_TRUE(RawValueExists(HKEY_CURRENT_USER, key, "Late"));

    // Amid the form's own destruction it saves nothing: some components may be gone already.
    RawDeleteTree(HKEY_CURRENT_USER, TestKey);
    {
        TStoredForm other(nullptr, AnsiString(path), false);
        other.storage->SetEnabled(false);
        auto* again = new TZCLObjectStorage(&other);
        again->SetRegistryPath(AnsiString(key + "\\Late"));
        again->Properties()->Add()->SetComponentName("Edit1");
    }
    EXPECT_FALSE(RawValueExists(HKEY_CURRENT_USER, key, "Late"));
}

namespace {

class TOlderStorage : public TPersistent {
public:
    void DefineProperties(TFiler* filer) override
    {
        filer->DefineProperty("AutoLoad", nullptr, TWriterProc::From([](TWriter* w) { w->WriteBoolean(true); }), true);
    }
};

}  // namespace

TEST_F(ObjectStorage, OlderFormsAutoLoadIsReadAndNeverWritten)
{
    TOlderStorage older;
    TMemoryStream s;
    {
        TWriter writer(&s);
        writer.WriteProperties(&older);
    }
    s.SetPosition(0);
    TStoredForm form(nullptr, AnsiString(path), false);
    form.storage->SetEnabled(false);
    TReader reader(&s);
    EXPECT_NO_THROW(reader.ReadProperty(form.storage));
    EXPECT_EQ(s.Position(), s.Size());
    const Bytes written = Written([&](TStream* st) {
        TWriter writer(st);
        writer.WriteProperties(form.storage);
    });
    const Bytes name = Text("AutoLoad");
    EXPECT_EQ(std::search(written.begin(), written.end(), name.begin(), name.end()), written.end());
}

TEST_F(ObjectStorage, AValueItsSetterRefusesIsSkippedAndTheRestLoaded)
{
    auto choose = [](TStoredForm& form) {
        for (const char* property : {"Choice", "Text", "Count"}) {
            TZCLPropertyStorageItem* item = form.storage->Properties()->Add();
            item->SetComponentName("Edit1");
            item->SetName(property);
        }
    };
    {
        TPart::choices = 10;
        TStoredForm seed(nullptr, AnsiString(path), false);
        choose(seed);
        seed.edit->SetChoice(7);
        seed.edit->SetText("stored");
        seed.edit->SetCount(4);
        seed.storage->Save();
        seed.storage->SetEnabled(false);
        TPart::choices = 3;
    }
    {
        TStoredForm form(nullptr, AnsiString(path), false);
        form.storage->SetEnabled(false);
        choose(form);
        form.edit->SetChoice(1);
        EXPECT_NO_THROW(form.storage->Load());
        EXPECT_EQ(form.edit->Choice(), 1);
        EXPECT_EQ(form.edit->Text(), "stored");
        EXPECT_EQ(form.edit->Count(), 4);
    }
    // The same when the form is made: its creation goes on.
    auto* form = new TStoredForm(nullptr, AnsiString(path), false);
    choose(*form);
    EXPECT_NO_THROW(form->AfterConstruction());
    EXPECT_EQ(form->edit->Choice(), 0);
    EXPECT_EQ(form->edit->Text(), "stored");
    EXPECT_EQ(form->edit->Count(), 4);
    EXPECT_EQ(log.back(), "form create");
    form->storage->SetEnabled(false);
    delete form;
}

namespace {

// A form with two storages hooked one after the other, and its own handlers noted for comparison.
class TTwoStorageForm : public TForm {
public:
    explicit TTwoStorageForm(const AnsiString& path) : TForm(nullptr)
    {
        SetName("Form1");
        TComponentLoader loading(this);
        for (TZCLObjectStorage*& s : storages) {
            s = loading.Create<TZCLObjectStorage>();
            s->SetRegistryPath(path);
        }
        storages[0]->SetName("First");
        storages[1]->SetName("Second");
        SetOnCreate(ownCreate);
        SetOnClose(ownClose);
        SetOnDestroy(ownDestroy);
        loading.Finish();
    }
    TZCLObjectStorage* storages[2] = {};
    TNotifyEvent ownCreate = TNotifyEvent::From([](TObject*) { TStoredForm::Log("form create"); });
    TCloseEvent ownClose = TCloseEvent::From([](TObject*, TCloseAction&) { TStoredForm::Log("form close"); });
    TNotifyEvent ownDestroy = TNotifyEvent::From([](TObject*) { TStoredForm::Log("form destroy"); });
};

}  // namespace

TEST_F(ObjectStorage, AStorageGoingGivesBackOnlyTheHandlersThatAreStillItsOwn)
{
    // Freed in either order, or only one of them: the form ends with its own handlers, and one storage left
    // still runs in front of them.
    for (const std::vector<int>& freed : std::vector<std::vector<int>>{{0, 1}, {1, 0}, {0}, {1}}) {
        auto* form = new TTwoStorageForm(AnsiString(path));
        for (TZCLObjectStorage* s : form->storages) {
            EXPECT_TRUE(s->Hooked());
            s->SetOnLoading(
                TNotifyEvent::From([s](TObject*) { TStoredForm::Log("loading " + std::string(s->Name().c_str())); }));
        }
        for (int i : freed) delete form->storages[i];
        log.clear();
        form->AfterConstruction();
        std::vector<std::string> expected;
        if (freed.size() == 1) expected.push_back(freed[0] == 0 ? "loading Second" : "loading First");
        expected.push_back("form create");
        EXPECT_EQ(log, expected) << freed.size() << " freed, first " << freed[0];
        if (freed.size() == 2) {
            EXPECT_TRUE(form->OnCreate() == form->ownCreate);
            EXPECT_TRUE(form->OnClose() == form->ownClose);
            EXPECT_TRUE(form->OnDestroy() == form->ownDestroy);
        }
        log.clear();
        delete form;
        EXPECT_EQ(log.back(), "form destroy");
    }

    // Handlers set after loading stay when the storages go.
    auto* form = new TTwoStorageForm(AnsiString(path));
    const TNotifyEvent later = TNotifyEvent::From([](TObject*) { TStoredForm::Log("later create"); });
    form->SetOnCreate(later);
    delete form->storages[0];
    delete form->storages[1];
    EXPECT_TRUE(form->OnCreate() == later);
    EXPECT_TRUE(form->OnClose() == form->ownClose);
    delete form;
}
