#include "cli/win32/TaskScheduler.h"

#include <windows.h>

#include <cstdio>
#include <taskschd.h>

namespace kmx {
namespace {

// How long after its start the task may still run when the machine was off
// at the time; the scheduler deletes it once this has passed.
constexpr UtcTicks kLateStartTicks = 24ull * 60 * 60 * kTicksPerSecond;

template <typename T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (m_pointer != nullptr) m_pointer->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return m_pointer; }
    T* Get() const { return m_pointer; }
    T** Receive() { return &m_pointer; }
    void** ReceiveVoid() { return reinterpret_cast<void**>(&m_pointer); }

private:
    T* m_pointer = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : m_text(::SysAllocString(text.c_str())) {}
    ~Bstr() { ::SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

class ComApartment {
public:
    ComApartment() : m_result(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    // Already initialised otherwise by the thread is good enough.
    bool Usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return m_result; }

private:
    HRESULT m_result;
};

std::wstring Hex(HRESULT result) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"0x%08lX", static_cast<unsigned long>(result));
    return text;
}

// The root folder of a connected scheduler; *problem says where it failed.
bool OpenRootFolder(Com<ITaskService>* service, Com<ITaskFolder>* folder, std::wstring* problem) {
    HRESULT result = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                        service->ReceiveVoid());
    if (FAILED(result)) {
        *problem = L"the Task Scheduler cannot be started (" + Hex(result) + L")";
        return false;
    }
    VARIANT none;
    ::VariantInit(&none);
    result = (*service)->Connect(none, none, none, none);
    if (SUCCEEDED(result)) result = (*service)->GetFolder(Bstr(L"\\"), folder->Receive());
    if (FAILED(result)) {
        *problem = L"the Task Scheduler cannot be reached (" + Hex(result) + L")";
        return false;
    }
    return true;
}

// The task's definition: one time trigger and one program to run.
HRESULT Define(ITaskDefinition* task, const std::wstring& program, const std::wstring& arguments,
               UtcTicks when, const wchar_t** step) {
    *step = L"its settings";
    Com<ITaskSettings> settings;
    HRESULT result = task->get_Settings(settings.Receive());
    if (SUCCEEDED(result)) result = settings->put_StartWhenAvailable(VARIANT_TRUE);
    if (SUCCEEDED(result)) result = settings->put_DisallowStartIfOnBatteries(VARIANT_FALSE);
    if (SUCCEEDED(result)) result = settings->put_StopIfGoingOnBatteries(VARIANT_FALSE);
    if (SUCCEEDED(result)) result = settings->put_DeleteExpiredTaskAfter(Bstr(L"PT0S"));
    if (FAILED(result)) return result;

    // Its user: registered with TASK_LOGON_INTERACTIVE_TOKEN and no user
    // name, it runs as the caller when logged on; the run level's default is
    // the least privilege (TASK_RUNLEVEL_LUA), so no principal is set.
    *step = L"its time trigger";
    Com<ITriggerCollection> triggers;
    Com<ITrigger> trigger;
    result = task->get_Triggers(triggers.Receive());
    if (SUCCEEDED(result)) result = triggers->Create(TASK_TRIGGER_TIME, trigger.Receive());
    if (SUCCEEDED(result)) result = trigger->put_StartBoundary(Bstr(IsoUtc(when)));
    if (SUCCEEDED(result)) result = trigger->put_EndBoundary(Bstr(IsoUtc(when + kLateStartTicks)));
    if (FAILED(result)) return result;

    *step = L"its action";
    Com<IActionCollection> actions;
    Com<IAction> action;
    Com<IExecAction> exec;
    result = task->get_Actions(actions.Receive());
    if (SUCCEEDED(result)) result = actions->Create(TASK_ACTION_EXEC, action.Receive());
    if (SUCCEEDED(result)) result = action->QueryInterface(IID_IExecAction, exec.ReceiveVoid());
    if (SUCCEEDED(result)) result = exec->put_Path(Bstr(program));
    if (SUCCEEDED(result)) result = exec->put_Arguments(Bstr(arguments));
    return result;
}

// What the scheduler kept: at least one trigger and one action.
bool StoredWhole(IRegisteredTask* registered) {
    Com<ITaskDefinition> stored;
    Com<ITriggerCollection> triggers;
    Com<IActionCollection> actions;
    LONG triggerCount = 0;
    LONG actionCount = 0;
    return SUCCEEDED(registered->get_Definition(stored.Receive())) &&
           SUCCEEDED(stored->get_Triggers(triggers.Receive())) &&
           SUCCEEDED(triggers->get_Count(&triggerCount)) &&
           SUCCEEDED(stored->get_Actions(actions.Receive())) && SUCCEEDED(actions->get_Count(&actionCount)) &&
           triggerCount >= 1 && actionCount >= 1;
}

}  // namespace

bool ScheduleOneShotTask(const std::wstring& name, const std::wstring& program, const std::wstring& arguments,
                         UtcTicks when, std::wstring* problem) {
    ComApartment apartment;
    if (!apartment.Usable()) {
        *problem = L"COM cannot be started (" + Hex(apartment.Result()) + L")";
        return false;
    }
    Com<ITaskService> service;
    Com<ITaskFolder> folder;
    if (!OpenRootFolder(&service, &folder, problem)) return false;
    Com<ITaskDefinition> task;
    HRESULT result = service->NewTask(0, task.Receive());
    const wchar_t* step = L"a new task";
    if (SUCCEEDED(result)) result = Define(task.Get(), program, arguments, when, &step);
    if (FAILED(result)) {
        *problem = std::wstring(L"the Task Scheduler could not make ") + step + L" (" + Hex(result) + L")";
        return false;
    }
    VARIANT none;
    ::VariantInit(&none);
    Com<IRegisteredTask> registered;
    result = folder->RegisterTaskDefinition(Bstr(name), task.Get(), TASK_CREATE_OR_UPDATE, none, none,
                                            TASK_LOGON_INTERACTIVE_TOKEN, none, registered.Receive());
    if (FAILED(result)) {
        *problem = L"the Task Scheduler refused the task (" + Hex(result) + L")";
        return false;
    }
    if (!StoredWhole(registered.Get())) {
        folder->DeleteTask(Bstr(name), 0);
        *problem = L"the Task Scheduler stored the task without its trigger or action; it was removed again";
        return false;
    }
    return true;
}

void DeleteScheduledTasks(const std::vector<std::wstring>& names) {
    ComApartment apartment;
    if (!apartment.Usable()) return;
    Com<ITaskService> service;
    Com<ITaskFolder> folder;
    std::wstring problem;
    if (!OpenRootFolder(&service, &folder, &problem)) return;
    for (const std::wstring& name : names) folder->DeleteTask(Bstr(name), 0);
}

}  // namespace kmx
