#pragma once

// The scopes the file operations hold while they run, shared by the files
// that implement DictionaryFiles.
#include "core/dictionary/dictionary_files.h"

// The dictionary's file job for as long as it lives.
class DictionaryFiles::JobScope
{
public:
    JobScope(Dictionary &dict, Dictionary::Job job) : m_dict(dict) { m_dict.setJob(job); }
    ~JobScope() { m_dict.setJob(Dictionary::Job::None); }
    JobScope(const JobScope &) = delete;
    JobScope &operator=(const JobScope &) = delete;

private:
    Dictionary &m_dict;
};

// Busy for as long as it lives; nested scopes keep the outer state.
class DictionaryFiles::BusyScope
{
public:
    explicit BusyScope(DictionaryFiles &files) : m_files(files), m_was(files.m_busy)
    {
        m_files.setBusy(true);
    }
    ~BusyScope() { m_files.setBusy(m_was); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    DictionaryFiles &m_files;
    bool m_was;
};
