// A shell opener that records what would be opened instead of starting a program, and
// answers as scripted: whether the opener starts, and then (on the first poll, or only once
// `finished` is set) whether it opened the target. It is the process's opener for its
// lifetime and puts the previous one back at its end.
//
// Header only.
#pragma once

#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include <memory>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class RecordingShellOpener final : public IShellOpener
{
public:
    RecordingShellOpener() : m_previous(SetShellOpener(this)) {}
    RecordingShellOpener(const RecordingShellOpener&) = delete;
    RecordingShellOpener& operator=(const RecordingShellOpener&) = delete;
    ~RecordingShellOpener()
    {
        AbandonShellOpenings();
        SetShellOpener(m_previous);
    }

    std::unique_ptr<IShellOpening> Open(const char* target) override
    {
        targets.emplace_back(target);
        if (!starts)
            return nullptr;
        return std::make_unique<Opening>(*this);
    }

    // The targets, as UTF-8, in order.
    std::vector<std::string> targets;
    // Whether the opener can be started at all.
    bool starts = true;
    // Whether a started opener opens its target, and whether it has ended yet.
    bool succeed = true;
    bool finished = true;

private:
    class Opening final : public IShellOpening
    {
    public:
        explicit Opening(const RecordingShellOpener& owner) : m_owner(owner) {}
        std::optional<bool> Poll() override
        {
            if (!m_owner.finished)
                return std::nullopt;
            return m_owner.succeed;
        }

    private:
        const RecordingShellOpener& m_owner;
    };

    IShellOpener* m_previous;
};

} // namespace QK::TestSupport
