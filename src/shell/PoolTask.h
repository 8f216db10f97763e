#pragma once

#include <QThreadPool>

#include <future>
#include <memory>
#include <type_traits>
#include <utility>

// Runs a piece of work on Qt's global thread pool and hands back its result as a future.
// Drawings done ahead of time go there rather than on a thread of their own: Qt's raster
// engine splits large fills across that pool's threads unless it already runs on one of them,
// and on two cores the threads handing spans to each other made a drawing slower.
template<typename Work>
std::future<std::invoke_result_t<Work>> RunOnPool(Work work)
{
    using Result = std::invoke_result_t<Work>;
    auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
    std::future<Result> result = task->get_future();
    QThreadPool::globalInstance()->start([task] { (*task)(); });
    return result;
}
