#include <pthread.h>

#include "tests/support/tree_test_support.h"

// 128 KiB: enough for the iterative code, far too little for thousands of nested calls.
void RunOnSmallStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes) + pthread_attr_setstacksize(&attributes, 1 << 17), 0);
    auto run = [](void* task) -> void* {
        return (*static_cast<std::function<void()>*>(task))(), nullptr;
    };
    std::function<void()> task = work;
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &task), 0);
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(pthread_join(thread, nullptr), 0);
}
