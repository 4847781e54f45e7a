#pragma once

#include <memory>

class QTreeWidget;
class QTreeWidgetItem;
class CollectOwner;

namespace zentrel {
class CDataNodes;
class CLog;
class Scripting;
} // namespace zentrel

// The collection commands and the group tree filler (the shared helpers: app/shell/MMisc.h).
namespace MMisc {

// Adds the engine's group records under ParentNode (the top level when null), leaving out
// the group HiddenGroupId with its subtree (defined in MMiscGroups.cpp).
void FillGroupTree(QTreeWidgetItem* ParentNode, const zentrel::CDataNodes& Groups,
                   QTreeWidget& Tree, bool Expand, bool ShowCount, int HiddenGroupId);

// The collection commands: each runs under one handler that logs any error.
// Defined in MMiscFiles.cpp: they store the keywords before they return.
void PasteKWs(CollectOwner& OwnerForm, const std::shared_ptr<zentrel::CLog>& Log,
              zentrel::Scripting& Scripting) noexcept;
void AddKeywords(const std::shared_ptr<zentrel::CLog>& Log, zentrel::Scripting& Scripting,
                 CollectOwner& OwnerForm) noexcept;
void ImportKWs(const std::shared_ptr<zentrel::CLog>& Log, zentrel::Scripting& Scripting,
               CollectOwner& OwnerForm) noexcept;
void ImportFromLocalPage(CollectOwner& OwnerForm, const std::shared_ptr<zentrel::CLog>& Log,
                         zentrel::Scripting& Scripting) noexcept;
// Defined in MMiscWeb.cpp: they start engine jobs and return at once.
void ImportFromURL(const std::shared_ptr<zentrel::CLog>& Log,
                   zentrel::Scripting& Scripting) noexcept;
void ImportFromSite(const std::shared_ptr<zentrel::CLog>& Log,
                    zentrel::Scripting& Scripting) noexcept;
void ImportFromGoogle(const std::shared_ptr<zentrel::CLog>& Log,
                      zentrel::Scripting& Scripting) noexcept;
// Defined in MMiscCache.cpp.
void ImportFromCache(const std::shared_ptr<zentrel::CLog>& Log, zentrel::Scripting& Scripting,
                     CollectOwner& OwnerForm) noexcept;

} // namespace MMisc
