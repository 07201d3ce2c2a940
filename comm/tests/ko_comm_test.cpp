#include <dlfcn.h>
#include <gtest/gtest.h>

#include <memory>

#include "ko_comm.h"

namespace {

struct Library {
    void* handle = dlopen(KOCOMM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle) dlclose(handle);
    }
    std::unique_ptr<lw::clsKoComm> Create() {
        auto fn = reinterpret_cast<KoCommCreateFn>(dlsym(handle, LW_KOCOMM_FACTORY));
        return std::unique_ptr<lw::clsKoComm>(fn ? fn() : nullptr);
    }
};

struct Recorder : lw::KoCommEvents {
    std::vector<std::string> calls;
    void ActiveteDocument(int16_t& i) override { calls.push_back("Activete:" + std::to_string(i)); }
    void KoTabAreaOK() override { calls.push_back("OK"); }
    void KoTabAreaRefresh() override { calls.push_back("Refresh"); }
};

}  // namespace

TEST(KoComm, LoadsAndCreatesObjectsThroughTheFactory) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto a = lib.Create();
    ASSERT_TRUE(a);
    // p_X lives in each object; the other properties read empty.
    a->let_p_X(1234);
    auto b = lib.Create();
    b->let_p_X(7);
    EXPECT_EQ(a->get_p_X(), 1234);
    EXPECT_EQ(b->get_p_X(), 7);
    a->let_p_SyosetsuSu(4);
    a->let_p_TabAreaPos(600);
    EXPECT_FALSE(a->get_p_SyosetsuSu().has_value());
    EXPECT_FALSE(b->get_p_TabAreaPos().has_value());
    // Assigning the mouse flag has no effect.
    const int16_t before = a->get_p_OnMouseFlag();
    a->let_p_OnMouseFlag(static_cast<int16_t>(before + 5));
    EXPECT_EQ(a->get_p_OnMouseFlag(), before);
}

TEST(KoComm, EventsReachTheSinkSynchronously) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr);
    auto o = lib.Create();
    Recorder r;
    int16_t ix = 2;
    o->Put_KoTabAreaOKEvent();  // no sink yet: nothing happens
    o->SetEventSink(&r);
    o->Put_ActiveteDocumentEvent(ix);
    o->Put_KoTabAreaOKEvent();
    o->Put_KoTabAreaRefreshEvent();
    EXPECT_EQ(r.calls, (std::vector<std::string>{"Activete:2", "OK", "Refresh"}));
}
