// The commit ("設定反映"): the shown setting written into the machine, then
// the post-commit dialog or the stored exit choice.
#include "app/UkIpConfig.h"

namespace kip {

void TFormIpconfig::ActionCommitExecute() {}
void TFormIpconfig::CommitShownSetting() {}

}  // namespace kip
