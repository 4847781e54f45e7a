#pragma once

#include "engine/database/DBaser.h"
#include "engine/platform/ZError.h"
#include "engine/research/CSEContacter.h"
#include "engine/research/Scripting.h"

// The engine's parts a collection command uses; an engine that is not running is an error.
class EngineParts {
public:
    static zentrel::DBaser& DBaser(zentrel::Scripting& scripting)
    {
        return required(scripting.DBaser());
    }
    static zentrel::CSEContacter& SEContacter(zentrel::Scripting& scripting)
    {
        return required(scripting.SEContacter());
    }

private:
    template <class T> static T& required(T* part)
    {
        if (part == nullptr)
            throw zentrel::ZError(zentrel::kUnexpected,
                                  QStringLiteral("The engine is not running."));
        return *part;
    }
};
