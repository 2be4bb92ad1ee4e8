#include "platform/emulated/LaunchdState.h"

#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "platform/FolderLock.h"

#include <algorithm>
#include <filesystem>

namespace veltrona {

namespace {

// A missing file is an empty dictionary; anything else that is no dictionary is corrupt.
std::optional<PlistDictionary> readStateFile(const std::string& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
        return PlistDictionary{};
    std::optional<PlistValue> value = readPlistDictionaryFile(file);
    if (!value)
        return std::nullopt;
    return *value->dictionary();
}

struct StateFiles {
    PlistDictionary disabled;
    PlistDictionary loaded;
};

// Both state files, read under the state folder's lock; nothing, with the reason in `failure`,
// when either is corrupt or the lock was not won.
std::optional<StateFiles> readStateFiles(const PlatformPaths& paths, const FolderLock& lock, LaunchdOutcome& failure)
{
    std::optional<PlistDictionary> disabled = readStateFile(paths.map(kLaunchdDisabledFile));
    std::optional<PlistDictionary> loaded = readStateFile(paths.map(kLaunchdLoadedFile));
    if (!disabled || !loaded) {
        failure = LaunchdOutcome::StateUnreadable;
        return std::nullopt;
    }
    if (!lock.locked()) {
        failure = LaunchdOutcome::StateUnwritable;
        return std::nullopt;
    }
    return StateFiles{std::move(*disabled), std::move(*loaded)};
}

// The -w override: stored at once, before the loaded jobs change.
bool writeDisabledOverride(const PlatformPaths& paths, PlistDictionary& overrides, const std::string& label,
                           bool disabled)
{
    overrides.set(label, disabled);
    return writePlistAtomically(overrides, paths.map(kLaunchdDisabledFile), FileAccess::AsBefore, paths.root()).ok();
}

// An override written by -w wins over the job's own Disabled key.
bool isDisabled(const PlistDictionary& overrides, const LaunchdJob& job)
{
    if (const PlistValue* flag = overrides.find(job.label); flag && flag->boolean())
        return *flag->boolean();
    return job.disabledByJob;
}

} // namespace

LaunchdState::LaunchdState(PlatformPaths paths) : paths_(std::move(paths))
{
}

std::optional<LaunchdJob> LaunchdState::readJob(const std::string& jobFile, LaunchdOutcome& failure) const
{
    std::error_code ec;
    if (!std::filesystem::exists(jobFile, ec)) {
        failure = LaunchdOutcome::NoSuchFile;
        return std::nullopt;
    }
    failure = LaunchdOutcome::InvalidJob;
    std::optional<PlistValue> value = readPlistFile(jobFile);
    const PlistDictionary* dict = value ? value->dictionary() : nullptr;
    const PlistValue* label = dict ? dict->find("Label") : nullptr;
    // Labels name the jobs in our state files; one that looks like a path step is refused.
    if (!label || !label->string() || label->string()->empty() || label->string()->find("..") != std::string::npos)
        return std::nullopt;
    LaunchdJob job{*label->string(), paths_.platformPath(jobFile), {}, false};
    if (const PlistValue* own = dict->find("Disabled"); own && own->boolean())
        job.disabledByJob = *own->boolean();
    auto flag = [dict](const char* key) -> std::optional<bool> {
        const PlistValue* value = dict->find(key);
        return value && value->boolean() ? std::optional<bool>(*value->boolean()) : std::nullopt;
    };
    job.keepAlive = flag("KeepAlive").value_or(false) || flag("OnDemand") == false;
    job.runAtLoad = flag("RunAtLoad").value_or(false) || flag("KeepAlive").value_or(false);
    if (const PlistValue* arguments = dict->find("ProgramArguments")) {
        if (!arguments->array())
            return std::nullopt;
        for (const PlistValue& argument : *arguments->array()) {
            if (!argument.string())
                return std::nullopt;
            job.programArguments.push_back(*argument.string());
        }
    } else if (const PlistValue* program = dict->find("Program"); program && program->string()) {
        job.programArguments.push_back(*program->string());
    }
    return job;
}

LaunchdOutcome LaunchdState::load(const std::string& jobFile, bool writeOverride, bool force, LaunchdJob* read)
{
    LaunchdOutcome failure = LaunchdOutcome::Done;
    std::optional<LaunchdJob> job = readJob(jobFile, failure);
    if (!job)
        return failure;
    if (read)
        *read = *job;
    FolderLock lock(paths_.map(kLaunchdStateFolder));
    std::optional<StateFiles> state = readStateFiles(paths_, lock, failure);
    if (!state)
        return failure;
    if (writeOverride) {
        if (!writeDisabledOverride(paths_, state->disabled, job->label, false))
            return LaunchdOutcome::StateUnwritable;
    } else if (!force && isDisabled(state->disabled, *job)) {
        return LaunchdOutcome::Disabled;
    }
    if (state->loaded.contains(job->label))
        return LaunchdOutcome::AlreadyLoaded;
    PlistDictionary entry;
    entry.set("Path", job->path);
    entry.set("ProgramArguments", stringArray(job->programArguments));
    state->loaded.set(job->label, std::move(entry));
    if (!writePlistAtomically(state->loaded, paths_.map(kLaunchdLoadedFile), FileAccess::AsBefore, paths_.root()))
        return LaunchdOutcome::StateUnwritable;
    return LaunchdOutcome::Done;
}

LaunchdOutcome LaunchdState::unload(const std::string& jobFile, bool writeOverride, LaunchdJob* read)
{
    LaunchdOutcome failure = LaunchdOutcome::Done;
    std::optional<LaunchdJob> job = readJob(jobFile, failure);
    if (!job)
        return failure;
    if (read)
        *read = *job;
    FolderLock lock(paths_.map(kLaunchdStateFolder));
    std::optional<StateFiles> state = readStateFiles(paths_, lock, failure);
    if (!state)
        return failure;
    if (writeOverride && !writeDisabledOverride(paths_, state->disabled, job->label, true))
        return LaunchdOutcome::StateUnwritable;
    if (!state->loaded.remove(job->label))
        return LaunchdOutcome::NotLoaded;
    if (!writePlistAtomically(state->loaded, paths_.map(kLaunchdLoadedFile), FileAccess::AsBefore, paths_.root()))
        return LaunchdOutcome::StateUnwritable;
    return LaunchdOutcome::Done;
}

std::optional<std::vector<LaunchdJob>> LaunchdState::loadedJobs() const
{
    std::optional<PlistDictionary> loaded = readStateFile(paths_.map(kLaunchdLoadedFile));
    if (!loaded)
        return std::nullopt;
    std::vector<LaunchdJob> jobs;
    for (const auto& [label, entry] : *loaded) {
        LaunchdJob job{label, {}, {}, false};
        if (const PlistDictionary* dict = entry.dictionary()) {
            if (const PlistValue* path = dict->find("Path"); path && path->string())
                job.path = *path->string();
            job.programArguments = stringsIn(dict->find("ProgramArguments"));
        }
        jobs.push_back(std::move(job));
    }
    std::sort(jobs.begin(), jobs.end(), [](const LaunchdJob& a, const LaunchdJob& b) { return a.label < b.label; });
    return jobs;
}

std::optional<PlistDictionary> LaunchdState::disabledOverrides() const
{
    return readStateFile(paths_.map(kLaunchdDisabledFile));
}

} // namespace veltrona
