#pragma once

// A circuit, and the sub-circuit device: the canvas edits a root TMacro, and a macro placed inside
// another circuit is a device whose outline pins are fed through tags into its own circuit. Open, it
// answers the drawable operations with its six lists; closed, with its outline shape and pins.

#include "model/Device.h"
#include "model/Gates.h"

#include <QString>

class QIODevice;

#include <functional>
#include <vector>

class TTagDevice;
class TClockedFlipFlop;

// What one step, or one build of the calculation order, carries through every macro it
// calculates. The outermost calculation owns it, so two circuits can step side by side.
struct TStepState {
    int64_t Budget = 0;       // device calculations left before the step gives up
    int64_t Calculations = 0; // device calculations made so far
    bool Trial = false;       // the order's trial run: inputs stay, stored states stay
    uint64_t Build = 0;       // the stamp of the order build this trial run belongs to, or 0
};

class TMacro : public TDevice {
public:
    TESSIVAR_CLASS(TMacro)
    TESSIVAR_KIND(TMacro, kKindMacro);
    TMacro();
    ~TMacro() override;

    void Write(TSerializeWriter& writer) override;
    void Read(TSerializeReader& reader) override;

    void Clear() override;
    bool HitTest(int x, int y) override;
    void Draw(QPainter& dc) override;
    void Offset(float dx, float dy) override;
    void UpdateVertices() override;
    TRect GetBounds() override;
    FloatRect GetExtent() override;
    void DeleteChild(TGraphicObject* child) override;

    // One step from this macro down (the root's step).
    void Calculate(TCalcResult& result) override;
    void TrialCalculate(TCalcResult& result) override;
    // Calculates the macro as part of a step that an enclosing macro, or this one, owns.
    void Settle(TStepState& step, TCalcResult& result);
    void Reset() override;
    void ClearInputs(int32_t level) override;
    void ClearDrivers() override;

    void BuildCalcOrder();
    void SetInputsPending(bool value);
    void ClearVisited(bool value);
    // After a step: records one history sample of every input and output device of this level.
    void SampleValues();
    // Gives every wire not being dragged the colour of its level (black high, light grey low; a
    // negative level leaves it alone) and lists the wires whose colour changed.
    void RecolourWires(std::vector<TWire*>& changed);
    // Recolours the wires by level, draws them with the joints, and refreshes the input and
    // output devices after a step, recording their samples too.
    void PaintValues(QPainter& dc);
    // Gives the wires of this level the colours of their levels, as PaintValues does, without drawing.
    void ColourWires();

    // The six lists in drawing and moving order.
    std::array<TGraphicList*, 6> DrawOrder() const;
    // The list an object of this class belongs in.
    TGraphicList* ListFor(const TGraphicObject* object) const;
    // Files an object into the list its class belongs in (ownership passes to the macro).
    void AddObject(TGraphicObject* object);
    // Replaces the contents of target (a list of references) by the objects lying wholly inside r.
    bool CollectInside(const TRect& r, TGraphicList* target);
    bool CollectOutside(const TRect& r, TGraphicList* target);
    bool IsEmpty() const;
    TTagDevice* FindTagForPin(const TPin* pin) const;
    bool FollowWireEnds();
    // Reports the area each moved wire changed, for the canvas to repaint.
    void InvalidateMovedWires(const std::function<void(const TRect&)>& invalidate) const;

    // Template files hold the outline and the outline pins alone. Saving throws EWriteError;
    // loading throws EFileError when the file cannot be opened, EInvalidFileType or EReadError
    // when it is not a sound template, and then leaves the macro as it was.
    void SaveTemplate(const QString& fileName);
    void LoadTemplate(const QString& fileName);
    void LoadTemplateFrom(QIODevice& device);

    std::vector<TDevice*> CalcOrder; // references, rebuilt by BuildCalcOrder
    QString Datasheet;
    bool Closed = true;
    bool Displayed = false;
    bool Nested = false;
    bool InputsPending = true;
    std::unique_ptr<TGraphicList> Devices;
    std::unique_ptr<TGraphicList> Tags;
    std::unique_ptr<TGraphicList> Wires;
    std::unique_ptr<TGraphicList> Solders;
    std::unique_ptr<TGraphicList> Inputs;
    std::unique_ptr<TGraphicList> Outputs;

    // Device calculations made by every macro's steps since the program started (for measuring).
    static int64_t CalculationCount();

    static constexpr int kMaxPasses = 200;
    // Nested macros multiply their pass bounds: a few levels of oscillating macros could take
    // longer than anyone waits. A step, and an order build, started from this macro gives up after
    // this many device calculations and reports the circuit as not settling.
    static constexpr int64_t kStepBudget = 100'000'000;
    int64_t StepBudget = kStepBudget;

private:
    void BuildOrder(TStepState& step, bool refreshInner);
    // ClearDrivers; walk: through every device, without the gathered pins.
    void ForgetDrivers(bool walk);
    std::array<int, 4> DriverCounts() const;
    // The trial pass of an order build: every device of the level once, in list order.
    void TrialPass(TStepState& step, bool refreshInner);
    // Whether this level may be found quiet: see m_quietBuild.
    void CheckQuietable(const TStepState& step);
    // Calculates the devices of other levels in the order when none of them would change anything.
    bool ForeignIdle(TStepState& step);
    bool Quiet(const TStepState& step) const { return step.Build != 0 && m_quietBuild == step.Build; }
    bool Fresh(const TStepState& step) const { return step.Build != 0 && m_freshBuild == step.Build; }
    void SetQuiet(const TStepState& step, bool quiet);
    // The power-on state of this level and every level inside it; the orders stay as they are.
    void ResetLevel();
    // Finds the nets of this level's wiring, unless they are still current; true when it tried.
    bool CompileNets();
    // Gathers the parts of this level and lays its wires and pins out in flat arrays; every net
    // compiled must be laid out before anything floods it.
    void LayOut();
    // Compiles the gates of the order again when the levels moved since.
    bool GatesCompiled();
    // Starts a settling pass: every net of this level counts as not flooded.
    void NewPass();
    // Marks the devices of the order that lie on no feedback path of this level's wiring.
    void FindFeedback();
    void CalculateInputs(TStepState& step);
    void CalculateInboundTags(TStepState& step);
    // Passes over the order until nothing changes, a fault stops them or the bound is reached.
    // True when they stopped because a pass changed nothing.
    bool RunPasses(TStepState& step, TCalcResult& accumulated);
    void CalculateOutboundTags(TStepState& step, TCalcResult& accumulated);
    // The six lists in hit-testing and collecting order.
    std::array<TGraphicList*, 6> HitOrder() const;

    // Derived from CalcOrder and Devices when the order is built, so a step makes no class tests.
    std::vector<TClockedFlipFlop*> m_clockedFlipFlops;
    std::vector<TCompiledGate> m_gates; // parallel to CalcOrder
    std::vector<TMacro*> m_macros;      // the parts in Devices
    // The levels and drivers of this level's wires and pins, laid out when the order is built:
    // each net's wires and pins side by side, then the other pins of the input devices, devices
    // (parts aside), tags and output devices. A step forgets their drivers at once while the
    // lists hold as many objects as when they were laid out (deletions clear the counts) and the
    // wiring is as it was.
    std::unique_ptr<TLevelSlots> m_slots;
    // Pins of this level's devices whose levels another level keeps (their wire is one of its).
    std::vector<TPin*> m_strayPins;
    std::array<int, 4> m_driverCounts{-1, -1, -1, -1};
    uint64_t m_gatesLayout = 0;             // the layout generation m_gates was compiled in
    std::vector<uint8_t> m_withoutFeedback; // parallel to CalcOrder
    std::vector<size_t> m_settleOrder;      // indexes of CalcOrder, drivers first
    // The nets of this level: what each holds, for building, and their states for the steps side
    // by side, so a pass over the order finds the nets it floods near each other.
    struct TNetMembers {
        TNet* Net = nullptr;
        std::vector<TWire*> Wires;
        std::vector<TPin*> Pins;
    };
    std::vector<TNetMembers> m_nets;
    std::vector<TNet> m_netStore;
    uint64_t m_netsGeneration = 0; // 0: not compiled, or not compilable
    TStamps m_stamps;

    // Deep nesting makes the order build settle the levels below again and again. A level that
    // reached a fixed point in the trial runs of one build, and was not disturbed since, would
    // change nothing if it were calculated again, so its passes are skipped (see TrialPass).
    // Only levels of gates, tri-state buffers, flip-flops (whose states the trial run keeps) and
    // parts that qualify themselves, with tags that pass levels one way, qualify, and only when
    // every net has at most one pin that floods it: there a pass that changed no level leaves a
    // state, drivers included, that any further pass, in any order, leaves as it is.
    uint64_t m_quietableBuild = 0;   // the build that found this level may be quiet
    bool m_passesDrivers = false;    // an outbound tag may pass on a driver of another level
    std::vector<TDevice*> m_foreign; // devices of other levels in the order (their drivers feed this one)
    uint64_t m_quietBuild = 0;       // the build during which this level last reached a fixed point
    uint64_t m_freshBuild = 0;       // the build whose fixed point the order (and the orders below) show
    int64_t m_quietCost = 0;         // what one pass that changes nothing takes from the budget
    int64_t m_freshCost = 0;         // what rebuilding a fresh order takes from the budget
};

// Message texts of the template loader's failures.
inline constexpr const char* kInvalidTemplateText = "This is not a valid Tessivar Template file.";
inline constexpr const char* kTemplateReadErrorText =
    "An error has occurred trying to read this Tessivar file.";
