#include <pthread.h>

#include <gtest/gtest.h>

#include "tests/support/tree_test_support.h"

namespace {

// Enough for the iterative code and the allocator, far too little for a recursion
// thousands of calls deep.
constexpr std::size_t kSmallStack = 128 * 1024;

void* RunWork(void* argument) {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
}

}  // namespace

void RunOnSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, kSmallStack), 0);
    pthread_t thread;
    // pthread passes a void pointer; the function object outlives the thread.
    void* argument = const_cast<void*>(static_cast<const void*>(&work));
    ASSERT_EQ(pthread_create(&thread, &attributes, RunWork, argument), 0);
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
}
