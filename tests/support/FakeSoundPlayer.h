#pragma once

#include "gui/ui/SoundPlayer.h"

#include <QList>
#include <QString>
#include <QStringList>

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

    void play(const QString &path, Mode mode, const QString &builtIn) override
    {
        requests.append({path, mode});
        builtIns.append(builtIn);
    }

    QList<Request> requests;
    /// The built-in sound named with each request.
    QStringList builtIns;
};
