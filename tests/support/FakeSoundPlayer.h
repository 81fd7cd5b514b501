#pragma once

#include "gui/ui/SoundPlayer.h"

#include <QList>
#include <QString>

/// A stand-in for the program's sound player: records what was asked and plays nothing.
class FakeSoundPlayer final : public SoundPlayer
{
public:
    struct Request
    {
        QString path;
        Mode mode;
        bool operator==(const Request &) const = default;
    };

    FakeSoundPlayer() { setInstance(this); }
    ~FakeSoundPlayer() override { setInstance(nullptr); }

    void play(const QString &path, Mode mode) override { requests.append({path, mode}); }

    QList<Request> requests;
};
