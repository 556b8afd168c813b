#include "tags/TagsLog.h"

namespace vok {

Q_LOGGING_CATEGORY(lcTags, "vok.tags", QtWarningMsg)

}  // namespace vok
