#include "PulseQuery.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <memory>

namespace {

struct QueryState
{
    SoundServerSnapshot snapshot;
    std::string defaultSink;
    int pending = 0; // introspection requests not yet answered
    bool failed = false;
    bool started = false;
};

void onSourceInfo(pa_context *, const pa_source_info *info, int eol, void *userdata)
{
    auto *state = static_cast<QueryState *>(userdata);
    if (eol < 0) {
        state->failed = true;
        --state->pending;
        return;
    }
    if (eol > 0) {
        --state->pending;
        return;
    }
    SoundServerSnapshot::Source source;
    source.name = info->name ? info->name : "";
    source.description = info->description ? info->description : source.name;
    source.isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
    state->snapshot.sources.push_back(source);
}

void onSinkInfo(pa_context *, const pa_sink_info *info, int eol, void *userdata)
{
    auto *state = static_cast<QueryState *>(userdata);
    if (eol != 0) {
        // eol < 0: there is no sink of the default's name, which is not a failure
        // of the server: the listing then has no system-sound device.
        --state->pending;
        return;
    }
    if (info->monitor_source_name)
        state->snapshot.defaultSinkMonitor = info->monitor_source_name;
}

void onServerInfo(pa_context *context, const pa_server_info *info, void *userdata)
{
    auto *state = static_cast<QueryState *>(userdata);
    --state->pending;
    if (!info) {
        state->failed = true;
        return;
    }
    if (info->default_source_name)
        state->snapshot.defaultSource = info->default_source_name;
    if (info->default_sink_name && *info->default_sink_name) {
        pa_operation *operation =
            pa_context_get_sink_info_by_name(context, info->default_sink_name, onSinkInfo, state);
        if (operation) {
            ++state->pending;
            pa_operation_unref(operation);
        }
    }
}

void onContextState(pa_context *context, void *userdata)
{
    auto *state = static_cast<QueryState *>(userdata);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        if (state->started)
            return;
        state->started = true;
        pa_operation *operation = pa_context_get_server_info(context, onServerInfo, state);
        if (operation) {
            ++state->pending;
            pa_operation_unref(operation);
        } else {
            state->failed = true;
        }
        operation = pa_context_get_source_info_list(context, onSourceInfo, state);
        if (operation) {
            ++state->pending;
            pa_operation_unref(operation);
        } else {
            state->failed = true;
        }
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        state->failed = true;
        break;
    default:
        break;
    }
}

struct MainloopDeleter
{
    void operator()(pa_mainloop *mainloop) const { pa_mainloop_free(mainloop); }
};

struct ContextDeleter
{
    void operator()(pa_context *context) const
    {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};

} // namespace

std::optional<SoundServerSnapshot> PulseQuery::query(int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Declared first so that it outlives the context, whose disconnect still
    // reports to the state callback.
    QueryState state;

    std::unique_ptr<pa_mainloop, MainloopDeleter> mainloop(pa_mainloop_new());
    if (!mainloop)
        return std::nullopt;
    pa_proplist *properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "ffmpeg.exe");
    std::unique_ptr<pa_context, ContextDeleter> context(
        pa_context_new_with_proplist(pa_mainloop_get_api(mainloop.get()), "ffmpeg.exe", properties));
    pa_proplist_free(properties);
    if (!context)
        return std::nullopt;

    pa_context_set_state_callback(context.get(), onContextState, &state);
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return std::nullopt;

    while (!state.failed && !(state.started && state.pending == 0)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        if (pa_mainloop_prepare(mainloop.get(), static_cast<int>(left)) < 0 ||
            pa_mainloop_poll(mainloop.get()) < 0 || pa_mainloop_dispatch(mainloop.get()) < 0)
            return std::nullopt;
    }
    if (state.failed)
        return std::nullopt;
    return state.snapshot;
}
