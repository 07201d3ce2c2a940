#include "ko_comm.h"


namespace lw {
namespace {

// Module-level property values, shared by every object of the library.
struct SharedProperties {
    int16_t SyosetsuSu = 0;
    int32_t DocumentCount = 0;
    int16_t Gakki = 0;
    double TabAreaPos = 0;
    double TabAreaPos2 = 0;
    int16_t FormatType = 0;
    int16_t LineCnt = 0;
    int16_t OnMouseFlag = 1;
};

SharedProperties& Shared() {
    static SharedProperties p;
    return p;
}

class KoCommObject final : public clsKoComm {
public:
    void SetEventSink(KoCommEvents* sink) override { sink_ = sink; }
    int32_t get_p_X() const override { return x_; }
    void let_p_X(int32_t v) override { x_ = v; }
    void let_p_SyosetsuSu(int16_t v) override { Shared().SyosetsuSu = v; }
    void let_p_DocumentCount(int32_t v) override { Shared().DocumentCount = v; }
    void let_p_Gakki(int16_t v) override { Shared().Gakki = v; }
    void let_p_TabAreaPos(double v) override { Shared().TabAreaPos = v; }
    void let_p_TabAreaPos2(double v) override { Shared().TabAreaPos2 = v; }
    void let_p_FormatType(int16_t v) override { Shared().FormatType = v; }
    void let_p_LineCnt(int16_t v) override { Shared().LineCnt = v; }
    std::optional<double> get_p_SyosetsuSu() const override { return std::nullopt; }
    std::optional<double> get_p_TabAreaPos() const override { return std::nullopt; }
    int16_t get_p_OnMouseFlag() const override { return Shared().OnMouseFlag; }
    void let_p_OnMouseFlag(int16_t) override {}
    void Put_ActiveteDocumentEvent(int16_t& Index) override {
        if (sink_) sink_->ActiveteDocument(Index);
    }
    void Put_KoTabAreaOKEvent() override {
        if (sink_) sink_->KoTabAreaOK();
    }
    void Put_KoTabAreaRefreshEvent() override {
        if (sink_) sink_->KoTabAreaRefresh();
    }

private:
    int32_t x_ = 0;
    KoCommEvents* sink_ = nullptr;
};

}  // namespace
}  // namespace lw

extern "C" __attribute__((visibility("default"))) lw::clsKoComm* KoComm_CreateObject() {
    try {
        return new lw::KoCommObject();
    } catch (...) {
        return nullptr;
    }
}
