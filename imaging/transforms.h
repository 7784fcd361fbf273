#pragma once
// Transforms that change a picture: inverting it and turning it by any angle.
#include "imaging/pxmisc.h"
#include "platform/core/object.h"

#include <cstdint>

class TDibGraphic;

class TImageTransform : public platform::TObject {
public:
    std::string ClassName() const override { return "TImageTransform"; }
    // Transforms the picture in place (through a temporary picture unless a transform does better).
    virtual void Apply(TDibGraphic& picture);
    // Writes the transformed source into dest; the base class raises "not implemented".
    virtual void ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest);

    TPercentDoneEvent OnPercentDone;

protected:
    void Progress(int64_t current, int64_t min, int64_t max);
    int m_lastPercent = 255;
};

class TNegativeTransform : public TImageTransform {
public:
    std::string ClassName() const override { return "TNegativeTransform"; }
    void Apply(TDibGraphic& picture) override;
    void ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest) override;
};

class TRotateTransform : public TImageTransform {
public:
    std::string ClassName() const override { return "TRotateTransform"; }
    void ApplyOnDest(const TDibGraphic& source, TDibGraphic& dest) override;

    // Degrees, clockwise.
    double Angle() const { return m_angle; }
    void SetAngle(double value) { m_angle = value; }
    uint32_t BackgroundColor() const { return m_backgroundColor; }
    void SetBackgroundColor(uint32_t value) { m_backgroundColor = value; }

protected:
    virtual void RotateQuarter(const TDibGraphic& source, TDibGraphic& dest);
    virtual void RotateHalf(const TDibGraphic& source, TDibGraphic& dest);
    virtual void RotateThreeQuarters(const TDibGraphic& source, TDibGraphic& dest);
    virtual void RotateArbitrary(const TDibGraphic& source, TDibGraphic& dest);

private:
    double m_angle = 90;
    uint32_t m_backgroundColor = 0xFFFFFF;
};
