#include "audio/FallbackSynthesizer.hpp"

namespace umbrascope {

FallbackSynthesizer::FallbackSynthesizer(std::unique_ptr<SpeechSynthesizer> primary,
                                         Factory makeFallback, MainQueue& mainQueue)
    : primary_(std::move(primary)), active_(primary_.get()), makeFallback_(std::move(makeFallback)),
      mainQueue_(mainQueue), self_(std::make_shared<FallbackSynthesizer*>(this)) {
    primary_->setReportHandler(
        [this](std::uint64_t id, SpeechReport kind) { handle(From::primary, id, kind); });
}

FallbackSynthesizer::~FallbackSynthesizer() {
    *self_ = nullptr;
    // Their last reports still find this object whole.
    fallback_.reset();
    primary_.reset();
}

void FallbackSynthesizer::speak(const Utterance& utterance) {
    bool failed = false;
    {
        std::lock_guard lock(mutex_);
        failed = primaryFailed_;
    }
    if (failed) switchToFallback();
    {
        std::lock_guard lock(mutex_);
        open_[utterance.id] = false;
        newest_ = utterance;
    }
    active_->speak(utterance);
}

void FallbackSynthesizer::stopSpeaking() {
    {
        std::lock_guard lock(mutex_);
        if (failedNewest_)
            pass(std::exchange(failedNewest_, std::nullopt)->id, SpeechReport::cancelled);
        newest_.reset();
    }
    active_->stopSpeaking();
}

void FallbackSynthesizer::handle(From from, std::uint64_t id, SpeechReport kind) {
    std::lock_guard lock(mutex_);
    if (from == From::primary) {
        if (moved_.contains(id)) {
            if (kind != SpeechReport::started) moved_.erase(id);
            return;
        }
        // The first failure decides; later ones of the abandoned primary are passed on as they
        // are.
        if (kind == SpeechReport::failed && !primaryFailed_) {
            primaryFailed_ = true;
            std::weak_ptr<FallbackSynthesizer*> weak = self_;
            mainQueue_.post([weak] {
                if (const auto self = weak.lock(); self && *self) (*self)->switchToFallback();
            });
            if (newest_ && newest_->id == id) {
                failedNewest_ = std::exchange(newest_, std::nullopt);
                return;
            }
        }
    }
    pass(id, kind);
}

void FallbackSynthesizer::pass(std::uint64_t id, SpeechReport kind) {
    const auto found = open_.find(id);
    if (found == open_.end()) return;
    if (kind == SpeechReport::started) {
        if (found->second) return; // the fallback starts what the primary had started
        found->second = true;
        report(id, kind);
        return;
    }
    open_.erase(found);
    if (newest_ && newest_->id == id) newest_.reset();
    report(id, kind);
}

void FallbackSynthesizer::switchToFallback() {
    if (switched_) return;
    switched_ = true;
    std::string notice;
    auto fallback = makeFallback_ ? makeFallback_(primary_->failureReason(), notice) : nullptr;
    std::optional<Utterance> again;
    {
        std::lock_guard lock(mutex_);
        again = std::exchange(failedNewest_, std::nullopt);
        if (!fallback) {
            if (again) pass(again->id, SpeechReport::failed);
            return;
        }
        if (!again && newest_) {
            again = newest_;
            moved_.insert(again->id);
        }
    }
    fallback->setReportHandler(
        [this](std::uint64_t id, SpeechReport kind) { handle(From::fallback, id, kind); });
    fallback_ = std::move(fallback);
    active_ = fallback_.get();
    // Whatever else the primary still holds ends now, as cancelled.
    primary_->stopSpeaking();
    if (again) fallback_->speak(*again);
    fallbackTaken_.notify(notice);
}

} // namespace umbrascope
