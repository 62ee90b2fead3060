#include "engine/CentrePath.h"

#include <cstdlib>

void TCentrePath::Clear()
{
    stepDirs_.clear();
    samples_.clear();
    lastPoint_ = NoPointYet;
    tooLong_ = false;
}

void TCentrePath::SetLength(int32_t n)
{
    stepDirs_.assign(n > 0 && n <= MaxLength ? static_cast<size_t>(n) : 0, 0);
}

void TCentrePath::SetBezier(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3)
{
    Clear();
    SubdivideBezier(p0, p1, p2, p3, [this](const TBezier& q) {
        AddPoint(q.P0);
        AddPoint(q.P1);
        AddPoint(q.P2);
        AddPoint(q.P3);
    });
}

void TCentrePath::AddPoint(const TPoint& p)
{
    // A curve point at (-1, -1) restarts the chain there, without steps: the
    // value stands for "no point yet", and strokes recorded in drawings and
    // projects were traced that way.
    if (tooLong_) return;
    if (lastPoint_ != NoPointYet) {
        const int64_t d = std::llabs(int64_t(p.X) - lastPoint_.X) + std::llabs(int64_t(p.Y) - lastPoint_.Y);
        if (int64_t(stepDirs_.size()) + d > MaxLength) {
            stepDirs_.clear();
            tooLong_ = true;
            return;
        }
        if (d > 0) stepDirs_.insert(stepDirs_.end(), static_cast<size_t>(d), DirectionBetween(lastPoint_, p));
    }
    lastPoint_ = p;
}

void TCentrePath::AddSample(const TPoint& p, const TSinglePoint& sp)
{
    const size_t n = samples_.size();
    for (size_t k = n > 4 ? n - 4 : 0; k < n; ++k)
        if (samples_[k].X == p.X && samples_[k].Y == p.Y) return;
    samples_.push_back({p.X, p.Y, sp.X, sp.Y});
}

template <class Steer> void TCentrePath::WalkWith(Steer&& steer)
{
    samples_.clear();
    samples_.reserve(2 * stepDirs_.size());
    TTurtle turtle({0, 0});
    const int32_t length = Length();
    for (int32_t i = 0; i < length; ++i) {
        const TSinglePoint sp = turtle.GetSubPixel();
        AddSample(turtle.SidePixel(), sp);
        AddSample(turtle.MainPixel(), sp);
        steer(i, turtle);
        turtle.Step();
    }
}

void TCentrePath::Walk()
{
    WalkWith([this](int32_t i, TTurtle& t) { t.Direction = stepDirs_[static_cast<size_t>(i)]; });
}

void TCentrePath::Walk(const TSteer& steer) { WalkWith(steer); }
