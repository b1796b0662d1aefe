#include "app/user_tree_gui.h"

#include "common/prompter.h"
#include "common/user_tree.h"

#include <QDir>

namespace UserTreeGui {

bool prepare(Prompter &prompter)
{
    const UserTree::Result result = UserTree::prepare();
    if (!result.error.isEmpty()) {
        prompter.message(QStringLiteral("程序目录只读，无法建立个人工作目录：\n%1")
                             .arg(result.error),
                         QStringLiteral("错误信息"), MsgFlags::Error);
        return false;
    }
    if (result.created) {
        prompter.info(QStringLiteral("已为您建立个人工作目录：\n%1\n\n"
                                     "配置文件、数据库、订单文件、生成的页面和封面图片都在这里；"
                                     "安装目录不会被改写。")
                          .arg(QDir::toNativeSeparators(result.root)));
    }
    return true;
}

} // namespace UserTreeGui
