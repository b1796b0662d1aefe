#include "common/wait_notice.h"

namespace {

WaitNotice::Show &installed()
{
    static WaitNotice::Show show;
    return show;
}

int g_depth = 0;

} // namespace

void WaitNotice::install(Show show)
{
    installed() = std::move(show);
}

QString WaitNotice::text(int seconds)
{
    return QStringLiteral("正在写入数据库……如果另一工作站正在使用它，本工作站最多等待 %1 秒。").arg(seconds);
}

bool WaitNotice::isUp()
{
    return g_depth > 0;
}

WaitNotice::WaitNotice()
{
    if (g_depth++ == 0 && installed())
        installed()(true);
}

WaitNotice::~WaitNotice()
{
    if (--g_depth == 0 && installed())
        installed()(false);
}

WaitNotice::Pause::Pause() : m_depth(g_depth)
{
    if (m_depth > 0 && installed())
        installed()(false);
    g_depth = 0;
}

WaitNotice::Pause::~Pause()
{
    g_depth = m_depth;
    if (m_depth > 0 && installed())
        installed()(true);
}
