#pragma once

#include "Platform.h"

namespace brevane::tools {

// The machine as the documentation shows it: a fixed example address, so
// that pictures do not reveal the address of the machine that made them.
class DocumentationPlatform : public SystemPlatform
{
public:
    std::optional<QString> localIPv4Address() const override { return QStringLiteral("192.168.1.20"); }
};

} // namespace brevane::tools
