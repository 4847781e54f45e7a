#pragma once

namespace zentrel {

// The search engines the contacter can ask.
enum enSE { seGoogle = 0 };

} // namespace zentrel
