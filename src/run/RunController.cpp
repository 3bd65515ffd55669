#include "run/RunController.h"

#include "common/FileChecks.h"
#include "common/Numbers.h"
#include "run/RunJournal.h"
#include "run/RunRecovery.h"
#include "run/RunTexts.h"
#include "setup/ParameterRules.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <utility>

namespace tlx {
namespace {

constexpr std::int32_t kDaySeconds = 86400;
// A time of day counts as reached when the clock passed it since the last look, as long as the
// last look was recent (a clock set forward by hours does not start a run).
constexpr std::int32_t kMaxCatchUpSeconds = 600;

// The whole second the clock has reached: a time of day is reached at its first instant, not half
// a second before it.
std::int32_t WholeSecondOfDay(Clock& clock) {
  const auto s = static_cast<std::int32_t>(std::floor(clock.SecondsSinceMidnight()));
  return ((s % kDaySeconds) + kDaySeconds) % kDaySeconds;
}

std::int32_t ForwardDistance(std::int32_t from, std::int32_t to) {
  return ((to - from) % kDaySeconds + kDaySeconds) % kDaySeconds;
}

}  // namespace

RunController::RunController(RunContext context) : ctx_(std::move(context)) {
  ctx_.decoder.SetRunSink(this);
  ctx_.decoder.SetDisplay(this);
  timer1_ = ctx_.clock.StartTimer(kTimer1Ms, [this] { OnTimer1(); });
}

RunController::~RunController() {
  ctx_.clock.StopTimer(timer1_);
  if (timerExpt_) ctx_.clock.StopTimer(*timerExpt_);
  if (flashTimer_) ctx_.clock.StopTimer(*flashTimer_);
  ctx_.decoder.SetRunSink(nullptr);
  ctx_.decoder.SetDisplay(nullptr);
}

// A run records only into a chosen data file; without one it counts and shows samples only.
bool RunController::Recording() const {
  return ctx_.parameters.SaveData && !ctx_.parameters.DataFile.empty();
}

bool RunController::DisplayActive() const {
  return state_.Running() || (state_.Ending() && outcome_.Reached == RunPhase::Running);
}

void RunController::RefreshLabels() { ctx_.display.RefreshLabels(state_, ctx_.parameters); }

// --- Checks ---------------------------------------------------------------------------------------

bool RunController::StartAllowed() {
  // No run records or counts what its data file cannot describe (a setup loaded at start-up is
  // not checked by the experiment panel).
  if (const std::string problem = RecordingProblem(ctx_.parameters); !problem.empty())
    return CannotStart(problem, {"Invalid Value", problem, MsgIcon::Exclamation, MsgButtons::Ok});
  // The recording is claimed first: a raw file another program is filling is not left over.
  return ClaimRecording() && NoUnrecoveredRecording();
}

StartQuestion RunController::NextStartQuestion(bool timeOfDayForm,
                                               const std::vector<StartQuestion>& agreed) const {
  const auto ask = [&agreed](StartQuestion q) {
    return std::find(agreed.begin(), agreed.end(), q) == agreed.end() ? q : StartQuestion::None;
  };
  if (!Recording()) return ask(StartQuestion::NoOutputFile);
  // At start-up a run at a time of day is agreed to in advance; its question names the overwrite.
  if (timeOfDayForm) return ask(StartQuestion::TimeOfDay);
  if (DataFileIsUsed(ctx_.parameters.DataFile)) return ask(StartQuestion::OverwriteUsed);
  return StartQuestion::None;
}

MessageRequest RunController::StartQuestionMessage(StartQuestion question) const {
  switch (question) {
    case StartQuestion::NoOutputFile: return NoOutputFileQuestion();
    case StartQuestion::OverwriteUsed: return OverwriteUsedQuestion(ctx_.parameters.DataFile);
    case StartQuestion::TimeOfDay:
      return TimeOfDayQuestion(ctx_.parameters.InitialDelay, ctx_.parameters.DataFile);
    case StartQuestion::None: break;
  }
  return {};
}

bool RunController::ConfirmStart(bool timeOfDayForm) {
  if (state_.StartConfirmed()) return true;
  std::vector<StartQuestion> agreed;
  for (;;) {
    if (!StartAllowed()) return false;
    const StartQuestion question = NextStartQuestion(timeOfDayForm, agreed);
    if (question == StartQuestion::None) break;
    const MsgAnswer answer = ctx_.answers.ShowMessage(StartQuestionMessage(question));
    if (answer == MsgAnswer::Ok || answer == MsgAnswer::Yes) {
      agreed.push_back(question);
      continue;
    }
    // No chooses another data file, picked in a dialog that asked about overwriting it; the
    // refusals are checked again for it.
    if (answer == MsgAnswer::No && question != StartQuestion::OverwriteUsed && ChooseOutputFile()) {
      agreed = {StartQuestion::OverwriteUsed, StartQuestion::TimeOfDay};
      continue;
    }
    if (!state_.Ending()) state_.Phase = RunPhase::Idle;
    return false;
  }
  if (state_.Phase == RunPhase::Idle) state_.Phase = RunPhase::Confirmed;
  return true;
}

bool RunController::ChooseOutputFile() {
  ctx_.view.ShowSetupFrame();
  ctx_.answers.ShowMessage(SelectOutputFileMessage());
  FileDialogRequest request;
  request.initialDirectory = ctx_.settings.DataDir;
  request.title = "Select Output File";
  request.extension = "DAT";
  request.forOpening = false;
  request.askFlags = true;
  const std::string chosen = ctx_.answers.ChooseFile(request);
  bool ok = false;
  if (!chosen.empty() && CanCreateFile(chosen)) {
    ctx_.parameters.SaveData = true;
    ctx_.parameters.DataFile = chosen;
    ok = true;
  }
  RefreshLabels();
  return ok;
}

// --- User commands --------------------------------------------------------------------------------

bool RunController::ClaimRecording() {
  if (!Recording() || recordingLock_.Holds(ctx_.parameters.DataFile)) return true;
  std::string tooLong;
  if (const int error = CheckRunNames(ctx_.parameters.DataFile, tooLong); error != 0)
    return CannotStart(tooLong, error);
  if (recordingLock_.Acquire(ctx_.parameters.DataFile) == RecordingLock::Result::Locked) return true;
  const std::string line = recordingLock_.RefusalText();
  if (recordingLock_.Error() != 0)
    return CannotStart(RunDataPath(ctx_.parameters.DataFile), recordingLock_.Error());
  return CannotStart(line, RunRefusedMessage(line));
}

// A raw file with samples that no finished data file holds is never recorded over.
bool RunController::NoUnrecoveredRecording() {
  if (!Recording()) return true;
  const std::int64_t samples = UnrecoveredSamples(ctx_.parameters.DataFile);
  if (samples == 0) return true;
  const std::string line = UnrecoveredRecordingText(ctx_.parameters.DataFile, samples);
  return CannotStart(line, RunRefusedMessage(line));
}

bool RunController::RunMenu() {
  if (ctx_.display.Panel() == DisplayPanel::Run) return false;
  // A data file another program records is refused before the unit is touched.
  if (!ClaimRecording()) return false;
  if (!ctx_.commands.State().UnitResponding)
    ctx_.commands.ResetAndInitialize(ctx_.settings.ComPort);
  if (!ConfirmStart(false)) return false;
  EnterRunPanel();
  return true;
}

void RunController::EnterRunPanel() {
  ctx_.display.SetPanel(DisplayPanel::Run);
  ctx_.view.EnterRun();
  if (!state_.Running()) state_.MissedSamples = state_.LineNoiseSamples = 0;
  RefreshLabels();
  if (!state_.Running()) ctx_.display.ShowReadyText(true);
  StartMonitoring();
}

void RunController::StartButton() {
  // While a run is armed, running or ending, Start does nothing: starting again would throw away
  // the recording under way.
  if (IsRunBusy() || state_.Ending()) return;
  if (!ConfirmStart(false)) return;
  if (ctx_.settings.DelayType == 0 && ctx_.parameters.InitialDelay == 0) {
    RunStart();
    return;
  }
  if (ctx_.settings.DelayType == 0) {
    state_.DelayRemaining = ctx_.parameters.InitialDelay;
    delayEndMs_ = ctx_.clock.TickMs() + std::int64_t{ctx_.parameters.InitialDelay} * 1000;
  } else {
    state_.DelayRemaining = SecondsUntilTimeOfDay(WholeSecondOfDay(ctx_.clock));
    if (state_.DelayRemaining == 0) {
      RunStart();
      return;
    }
  }
  // The labels count the run to come from here on, never the last one's sessions and status.
  state_.Phase = RunPhase::Armed;
  state_.Ended = RunEnding::None;
  state_.SampleInSecond = state_.SessionIndex = state_.SecondsInSession = 0;
  state_.MissedSamples = state_.LineNoiseSamples = 0;
  outcome_ = RunOutcome{};
  outcome_.Reached = RunPhase::Armed;
  RefreshLabels();
  // While the delay counts down the run panel is in charge, as it is once the run goes.
  ctx_.view.SetMenus(false);
}

// The question is shown and the run goes on; the answer arrives through StopWindowAnswer.
void RunController::StopButton() {
  if (!IsRunBusy()) return;
  const MessageRequest question = StopQuestion();
  ctx_.view.ShowStopWindow(StopWindowForm::Confirm, question);
  AwaitStopWindow(StopWindowForm::Confirm, question);
}

void RunController::AwaitStopWindow(StopWindowForm form, const MessageRequest& message) {
  awaited_ = form;
  if (ctx_.view.AwaitStopWindowAnswer()) return;
  StopWindowAnswer(ctx_.answers.ShowMessage(message));
}

// OK on the question stops the run; OK on the status form clears the unit's overlay, while
// Enter, Escape or Cancel only close the window.
void RunController::StopWindowAnswer(MsgAnswer answer) {
  const std::optional<StopWindowForm> form = std::exchange(awaited_, std::nullopt);
  if (!form) return;
  if (answer == MsgAnswer::Ok && *form == StopWindowForm::Confirm) {
    ConfirmStop();
  } else if (answer == MsgAnswer::Ok) {
    CloseStatusWindow();
  } else {
    if (*form == StopWindowForm::Confirm) closeRequested_ = false;
    ctx_.view.HideStopWindow();
  }
}

void RunController::ExitButton() {
  // Home during the finish flashing: the flashing ends and the window goes home now.
  if (state_.Ending()) {
    if (flashTimer_) EndFinishSequence();
    return;
  }
  if (IsRunBusy()) {
    StopButton();
    return;
  }
  // The run panel is left without a run: the recording claimed for it is let go, and so is the
  // agreement to start it (the data file may be changed before the next run).
  recorder_.Close();
  recordingLock_.Release();
  if (state_.Phase == RunPhase::Confirmed) state_.Phase = RunPhase::Idle;
  ctx_.decoder.State().RawRecording = false;
  ctx_.commands.ClearOverlay();
  ctx_.commands.EndOverlay();
  ReturnHome();
}

bool RunController::CloseRequest() {
  if (!IsRunBusy()) return true;
  closeRequested_ = true;
  StopButton();
  return false;
}

void RunController::ConfirmStop() {
  if (!IsRunBusy()) return;
  state_.Ended = outcome_.Ending = RunEnding::StoppedByUser;
  if (!RunEnd()) {
    BackToIdle();
    ReturnHome();
    CloseStatusWindow();
    return;
  }
  BeginFinishSequence(true);
}

void RunController::BackToIdle() {
  state_.Phase = RunPhase::Idle;
  RefreshLabels();
  ctx_.view.SetMenus(true);
}

void RunController::ReturnHome() {
  ctx_.display.SetPanel(DisplayPanel::Other);
  ctx_.view.EnterHome();
}

// --- Timers ---------------------------------------------------------------------------------------

std::int32_t RunController::SecondsUntilTimeOfDay(std::int32_t nowSecond) const {
  return ForwardDistance(nowSecond, ctx_.parameters.InitialDelay % kDaySeconds);
}

// The initial delay runs to the clock: a program stopped meanwhile (a suspend, heavy swapping)
// starts when the delay is over, not that much later.
void RunController::CountDownDelay() {
  const std::int64_t left = delayEndMs_ - ctx_.clock.TickMs();
  if (left <= 0) {
    state_.DelayRemaining = 0;  // the countdown shows its end
    RefreshLabels();
    state_.DelayRemaining = -1;
    RunStart();
    return;
  }
  const auto seconds = static_cast<std::int32_t>((left + 999) / 1000);
  if (seconds == state_.DelayRemaining) return;
  state_.DelayRemaining = seconds;
  RefreshLabels();
}

void RunController::OnTimer1() {
  if (UnitFellSilent()) {
    StopForSilence();
    return;
  }
  if (state_.Armed() && ctx_.settings.DelayType == 0 && state_.DelayRemaining > 0) CountDownDelay();
  const std::int32_t second = WholeSecondOfDay(ctx_.clock);
  if (second == lastSecond_) return;
  const std::int32_t previous = lastSecond_;
  lastSecond_ = second;

  // Samples reach the file at least once a second while a run records.
  if (state_.Running() && recorder_.IsOpen() && !recorder_.Flush(true)) {
    StopForRecordingFailure();
    return;
  }

  if (state_.Armed() && ctx_.settings.DelayType == 1) {
    state_.DelayRemaining = SecondsUntilTimeOfDay(second);
    RefreshLabels();
  }

  if (ctx_.settings.DelayType == 1 && !state_.Running()) {
    const std::int32_t target = ctx_.parameters.InitialDelay % kDaySeconds;
    bool reached = second == target;
    if (previous >= 0) {
      const std::int32_t passed = ForwardDistance(previous, second);
      const std::int32_t toTarget = ForwardDistance(previous, target);
      reached = passed <= kMaxCatchUpSeconds && toTarget > 0 && toTarget <= passed;
    }
    if (reached) TimeOfDayStart();
  }
}

void RunController::TimeOfDayStart() {
  // A run that is ending is not followed by the next within its own end.
  if (state_.Running() || state_.Ending()) return;
  // The file may be overwritten only when the user agreed (at start-up, on Start, or now).
  if (!ConfirmStart(false)) return;
  if (ctx_.display.Panel() != DisplayPanel::Run) EnterRunPanel();
  state_.DelayRemaining = -1;
  RunStart();
}

void RunController::OnTimerExpt() {
  if (!state_.Running()) return;
  // Sample times the program did not poll (it was stopped or starved for longer than a sample
  // interval) are recorded and counted as missed, so every sample keeps its time.
  const std::int64_t due = (ctx_.clock.TickMs() - pollStartMs_) / PollIntervalMs();
  while (pollsDone_ + 1 < due && state_.Running()) {
    ++pollsDone_;
    const PositionSample missed{0, kNoObjectY};
    if (ctx_.decoder.State().RawRecording) AppendRecordedSample(missed);
    CountSample(missed);
  }
  if (!state_.Running()) return;
  ++pollsDone_;
  // A poll the unit does not answer is a missed sample: a unit that went away must not be
  // recorded as standing still at its last position.
  PositionSample sample{kNoObjectY, kNoObjectY};
  if (ctx_.decoder.PollOneSample()) {
    lastHeardMs_ = ctx_.clock.TickMs();
    sample = ctx_.decoder.State().LastSample;
  } else {
    UpdateLiveDisplay(sample);
  }
  if (ctx_.decoder.State().RawRecording) AppendRecordedSample(sample);
  CountSample(sample);
}

// --- Run start, samples, run end ------------------------------------------------------------------

bool RunController::StartMonitoring() {
  TrackerLink& link = ctx_.commands.Link();
  if (!link.PortOpen()) {
    ctx_.answers.ShowMessage({"Port Error", "The Port is\r\nnot open.", MsgIcon::Critical,
                              MsgButtons::Ok});
    return false;
  }
  DecoderState& decoder = ctx_.decoder.State();
  decoder.RawRecording = OpenRecordedSampleFile();
  if (!link.State().UnitAwake && !ctx_.commands.WakeUpProbe()) return false;
  decoder.LastSample.Y = kNoObjectY;
  if (ctx_.parameters.SampleRate >= 25) return ctx_.commands.StartStream();
  return decoder.RawRecording;
}

// The raw file is created when the run starts (BeginRecording), not when the stream starts
// before it: a run panel left without a run leaves no empty raw file behind.
bool RunController::OpenRecordedSampleFile() { return state_.Running() && recorder_.IsOpen(); }

int RunController::PollIntervalMs() const { return ctx_.parameters.SampleRate == 1 ? 1000 : 200; }

std::int64_t RunController::PlannedSamples() const {
  const ExperimentParameters& p = ctx_.parameters;
  return static_cast<std::int64_t>(p.SessionLength) * p.NumberOfSessions * p.SampleRate;
}

// A recording run opens its raw file afresh and writes its journal before it counts as started;
// when either cannot be created nothing is recorded, so the run does not start at all.
bool RunController::BeginRecording() {
  if (!Recording()) return true;
  if (!ClaimRecording() || !NoUnrecoveredRecording()) return false;
  const std::string raw = RunRawPath(ctx_.parameters.DataFile);
  if (!recorder_.Open(raw)) return CannotStart(raw, recorder_.OpenError());
  errno = 0;
  if (!WriteJournal()) {
    const int error = errno;
    recorder_.Close();
    std::remove(raw.c_str());
    return CannotStart(journalPath_, error);
  }
  return true;
}

bool RunController::CannotStart(const std::string& file, int error) {
  const MessageRequest message = RunCannotStartMessage(file, SystemReasonText(error));
  return CannotStart("The file " + file + " cannot be created: " + SystemReasonText(error) + ".",
                     message);
}

bool RunController::CannotStart(const std::string& line, const MessageRequest& message) {
  recordingLock_.Release();
  outcome_ = RunOutcome{};
  outcome_.Ending = RunEnding::CannotStart;
  outcome_.CannotStart = line;
  // Refused before it recorded: the run goes back to Idle (a run under way is never refused).
  if (!state_.Running() && !state_.Ending()) state_.Phase = RunPhase::Idle;
  state_.DelayRemaining = 0;
  ctx_.decoder.State().RawRecording = false;
  ctx_.display.ShowReadyText(true);
  RefreshLabels();
  ctx_.view.SetMenus(true);
  ctx_.answers.ShowMessage(message);
  return false;
}

void RunController::RunStart() {
  ctx_.view.HideStopWindow();
  ctx_.commands.ClearOverlay();
  ctx_.commands.EndOverlay();
  ctx_.display.ShowReadyText(false);
  state_.Ended = RunEnding::None;
  state_.SampleInSecond = state_.SessionIndex = state_.SecondsInSession = 0;
  state_.MissedSamples = state_.LineNoiseSamples = 0;
  // Confirmed until the recording begins (a refusal then makes it Idle), Running after.
  state_.Phase = RunPhase::Confirmed;
  samplesCounted_ = 0;
  lastHeardMs_ = ctx_.clock.TickMs();
  ctx_.commands.Link().DiscardBuffered();

  ExperimentParameters& p = ctx_.parameters;
  if (p.SampleRate < 1) p.SampleRate = 1;
  ctx_.decoder.State().LastSample = PositionSample{255, 255};
  state_.StartTime = ctx_.clock.Now();
  outcome_ = RunOutcome{};
  outcome_.Reached = RunPhase::Armed;
  if (!BeginRecording()) return;
  outcome_.Reached = RunPhase::Running;
  if (p.SampleRate < 25) {
    ctx_.decoder.State().RawRecording = recorder_.IsOpen();
    state_.Phase = RunPhase::Running;
    pollStartMs_ = ctx_.clock.TickMs();
    pollsDone_ = 0;
    timerExpt_ = ctx_.clock.StartTimer(PollIntervalMs(), [this] { OnTimerExpt(); });
  } else {
    // Running first, so the stream keeps the raw file just opened instead of opening it again.
    state_.Phase = RunPhase::Running;
    StartMonitoring();
  }
  RefreshLabels();
  ctx_.display.BeginSession();
  ctx_.view.SetMenus(false);
}

void RunController::AppendRecordedSample(const PositionSample& sample) {
  if (!state_.Running() || !recorder_.IsOpen()) return;
  if (!recorder_.Append(sample.X, sample.Y)) StopForRecordingFailure();
}

// A streamed sample: the unit is alive.
void RunController::AccountSample(const PositionSample& sample) {
  if (!state_.Running()) return;
  lastHeardMs_ = ctx_.clock.TickMs();
  CountSample(sample);
}

void RunController::CountLineNoise() {
  if (state_.Running()) IncrementCounter(state_.LineNoiseSamples);
}

void RunController::CountSample(const PositionSample& sample) {
  if (!state_.Running()) return;
  ++samplesCounted_;
  if (IsLostSample(sample.Y)) IncrementCounter(state_.MissedSamples);
  bool lastSession = false;
  if (++state_.SampleInSecond >= ctx_.parameters.SampleRate) {
    state_.SampleInSecond = 0;
    IncrementCounter(state_.SecondsInSession);
    if (state_.SecondsInSession >= ctx_.parameters.SessionLength) {
      ++state_.SessionIndex;
      if (state_.SessionIndex < ctx_.parameters.NumberOfSessions) {
        ctx_.display.BeginSession();
        state_.SecondsInSession = 0;
      } else {
        lastSession = true;
      }
    }
  }
  RefreshLabels();
  if (lastSession) FinishRun();
}

void RunController::UpdateLiveDisplay(const PositionSample& sample) {
  ctx_.display.UpdatePosition(sample.X, sample.Y, DisplayActive());
}

void RunController::FinishRun() {
  state_.Ended = outcome_.Ending = RunEnding::LastSession;
  // The run has finished only when every file of it was written; otherwise the user was told
  // which file was not.
  if (!RunEnd()) {
    BackToIdle();
    ReturnHome();
    return;
  }
  BeginFinishSequence(false);
}

void RunController::StopForRecordingFailure() {
  if (!state_.Running() || state_.Ended == RunEnding::RecordingFailed) return;
  state_.Ended = outcome_.Ending = RunEnding::RecordingFailed;
  const std::int64_t written = recorder_.SamplesWritten();
  RunEnd();
  BackToIdle();
  ReturnHome();
  ctx_.answers.Inform(RecordingFailedMessage(
      recorder_.Path(), outcome_.Files.DataWritten ? outcome_.Files.Samples : written,
      PlannedSamples()));
}

bool RunController::UnitFellSilent() {
  // A device that went away sends nothing more: no need to wait out the limit.
  return state_.Running() && (ctx_.commands.Link().DeviceLost() ||
                              ctx_.clock.TickMs() - lastHeardMs_ >= silenceLimitMs_);
}

// The run ends as a stop does (every sample kept, the data, map and results written), then the
// user is told which unit fell silent, or that its device went away.
void RunController::StopForSilence() {
  state_.Ended = outcome_.Ending = RunEnding::UnitSilent;
  RunEnd();
  BackToIdle();
  ReturnHome();
  const std::string port =
      portName_ ? portName_() : "COM" + std::to_string(ctx_.settings.ComPort);
  ctx_.answers.Inform(ctx_.commands.Link().DeviceLost()
                          ? UnitGoneMessage(port)
                          : UnitSilentMessage(port, silenceLimitMs_ / 1000));
}

// Entered from Armed or Running; the phase stays Ending until the caller's end sequence is over
// (nothing starts, stops or ends again meanwhile). A stop question still open is moot now.
bool RunController::RunEnd() {
  if (state_.Ending()) return true;
  const bool recorded = recorder_.IsOpen() && state_.Running();
  state_.Phase = RunPhase::Ending;
  if (std::exchange(awaited_, std::nullopt)) ctx_.view.HideStopWindow();
  outcome_.SamplesCounted = samplesCounted_;
  recorder_.Close();
  // A recording that failed (disk full) has told the user how many samples reached the file;
  // those are what the data file must hold.
  if (state_.Ended == RunEnding::RecordingFailed) outcome_.SamplesCounted = recorder_.SamplesWritten();
  ctx_.decoder.State().RawRecording = false;
  ctx_.commands.StopStream();
  if (timerExpt_) {
    ctx_.clock.StopTimer(*timerExpt_);
    timerExpt_.reset();
  }
  // A run stopped before it started recorded nothing: an earlier data file of that name stays.
  bool written = true;
  if (recorded) {
    RunFilesRequest request{ctx_.parameters.DataFile, state_.StartTime, ctx_.parameters,
                            ctx_.settings.VideoType, ctx_.currentMap};
    RunFilesOutcome& files = outcome_.Files;
    files = WriteRunFiles(request, &ctx_.answers);
    // Read back: the run has its files only when the data file holds every counted sample.
    if (files.DataWritten) outcome_.SamplesInFile = SamplesInDataFile(files.DataPath);
    written = outcome_.Verified();
    // Whatever is missing stays to be completed at the next start (the raw file, or the data
    // file's map and results, with the journal), and the user is told rather than shown a
    // plain finish. A data file short of samples has nothing left to recover from.
    if (written || outcome_.Shortfall()) RemoveJournal();
    if (!files.DataWritten) {
      ctx_.answers.Inform(DataFileNotWrittenMessage(request.DataFile, files.Failures));
    } else if (outcome_.Shortfall()) {
      ctx_.answers.Inform(
          DataFileShortMessage(files.DataPath, outcome_.SamplesInFile, samplesCounted_));
    } else if (!written) {
      ctx_.answers.Inform(RunFilesNotWrittenMessage(files.DataPath, files.Failures));
    }
  }
  recordingLock_.Release();
  RefreshLabels();
  if (std::exchange(closeRequested_, false)) ctx_.view.CloseDue();
  return written;
}

// --- Finish sequence --------------------------------------------------------------------------------

// The status form is shown at once (its buttons work during the flashing); the box flashes on
// the unit's screen in steps of the flash timer, so the program stays responsive meanwhile.
void RunController::BeginFinishSequence(bool stopped) {
  finishStopped_ = stopped;
  ctx_.view.ShowStopWindow(StopWindowForm::Status, FinishMessage(stopped));
  ctx_.commands.ClearOverlay();
  for (int i = 0; i < 9; ++i)
    ctx_.commands.OverlayText(kFinishBoxColumn, kFinishBoxFirstRow + i, kFinishBox[i]);
  inversionBefore_ = ctx_.commands.State().VideoInverted;
  flashesLeft_ = kFlashes;
  FlashStep();
  flashTimer_ = ctx_.clock.StartTimer(kFlashWaitMs, [this] { FlashStep(); });
}

void RunController::FlashStep() {
  if (flashesLeft_ == 0) {
    EndFinishSequence();
    return;
  }
  --flashesLeft_;
  ctx_.commands.SetInversion(!ctx_.commands.State().VideoInverted);
}

// A finished run's status form waits for its answer once the window is home; a stopped run's
// form closes with the sequence.
void RunController::EndFinishSequence() {
  if (flashTimer_) ctx_.clock.StopTimer(*flashTimer_);
  flashTimer_.reset();
  ctx_.commands.SetInversion(inversionBefore_);
  BackToIdle();
  ReturnHome();
  if (finishStopped_) {
    CloseStatusWindow();
  } else {
    AwaitStopWindow(StopWindowForm::Status, FinishMessage(false));
  }
}

// Nobody is asked any more: the status form closes with the sequence.
void RunController::CompleteEnding() {
  if (flashTimer_) {
    finishStopped_ = true;
    EndFinishSequence();
  }
  if (std::exchange(awaited_, std::nullopt)) ctx_.view.HideStopWindow();
}

void RunController::CloseStatusWindow() {
  ctx_.view.HideStopWindow();
  ctx_.commands.ClearOverlay();
  ctx_.commands.EndOverlay();
}

// --- Journal ----------------------------------------------------------------------------------------

bool RunController::WriteJournal() {
  journalPath_.clear();
  if (ctx_.journalDirectory.empty()) return true;
  journalPath_ = RunJournalPath(ctx_.journalDirectory, ctx_.parameters.DataFile);
  RunJournal journal;
  journal.DataFile = RunDataPath(ctx_.parameters.DataFile);
  journal.StartTime = state_.StartTime;
  journal.Parameters = ctx_.parameters;
  journal.VideoType = ctx_.settings.VideoType;
  journal.DelayType = ctx_.settings.DelayType;
  journal.Map = ctx_.currentMap;
  return WriteRunJournal(journalPath_, journal);
}

void RunController::RemoveJournal() {
  if (!journalPath_.empty()) RemoveRunJournal(journalPath_);
}

}  // namespace tlx
