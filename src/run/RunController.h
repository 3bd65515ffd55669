// Runs an experiment: the questions before it starts, the initial delay or the start at a time of
// day, the session clock that counts samples into seconds and sessions, the stop and the finish,
// and the files written when the run ends. Timer1 and TimerExpt run on the program's clock.
#pragma once

#include "common/Clock.h"
#include "common/RecordingLock.h"
#include "common/UserAnswers.h"
#include "device/CommandSet.h"
#include "device/StreamDecoder.h"
#include "run/MainView.h"
#include "run/RawRecorder.h"
#include "run/RunDisplay.h"
#include "run/RunFiles.h"
#include "run/RunState.h"
#include "setup/ExperimentParameters.h"
#include "setup/ProgramSettings.h"
#include "zonemap/ZoneMap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tlx {

// Everything the run works with; owned by the program object.
struct RunContext {
  Clock& clock;
  UserAnswers& answers;
  CommandSet& commands;
  StreamDecoder& decoder;
  RunDisplay& display;
  MainView& view;
  ExperimentParameters& parameters;
  ProgramSettings& settings;
  ZoneMap& currentMap;
  std::string journalDirectory;  // where the runs' journals are kept (the home); empty: none
};

// The questions a run's start may need answered, in the order they are asked.
enum class StartQuestion {
  None,
  NoOutputFile,   // nothing is recorded: run anyway, choose a data file, or not
  OverwriteUsed,  // the data file holds an earlier run: overwrite it or not
  TimeOfDay,      // a run at a time of day will overwrite the data file: agree, choose another, or not
};

// What the last run came to, read by every front end (never a message's text).
struct RunOutcome {
  // How far the last run got: never started (Idle), waited for its delay only (Armed), or
  // recorded (Running).
  RunPhase Reached = RunPhase::Idle;
  RunEnding Ending = RunEnding::None;
  // Why the run could not start, as one line naming the file and the system's reason (or the
  // process that records the data file).
  std::string CannotStart;
  RunFilesOutcome Files;           // what the run end wrote (paths set, nothing written: none)
  std::int64_t SamplesCounted = 0;
  // Samples found in the data file when it was read back after writing; -1: not read.
  std::int64_t SamplesInFile = -1;
  // The run recorded, every file was written and the data file holds every counted sample.
  bool Verified() const { return Files.Complete() && SamplesInFile == SamplesCounted; }
  // The data file was written but holds fewer samples than the run counted.
  bool Shortfall() const { return Files.DataWritten && SamplesInFile != SamplesCounted; }
};

class RunController : public RunSampleSink, public SampleDisplay {
 public:
  static constexpr int kTimer1Ms = 55;
  static constexpr int kFlashes = 6;
  static constexpr int kFlashWaitMs = 300;
  // A running experiment whose unit has sent nothing for this long is stopped.
  static constexpr std::int64_t kSilenceLimitMs = 30000;

  explicit RunController(RunContext context);
  ~RunController() override;
  RunController(const RunController&) = delete;
  RunController& operator=(const RunController&) = delete;

  const RunState& State() const { return state_; }
  bool IsRunBusy() const { return state_.Armed() || state_.Running(); }

  // --- Commands of the user -------------------------------------------------------------------
  // The Run menu: unit check, overwrite check, start checks, then the run panel. True when the
  // run panel was entered.
  bool RunMenu();
  void EnterRunPanel();
  void StartButton();
  // Stop and Exit buttons and the window's close request ask the stop question while busy.
  void StopButton();
  void ExitButton();
  // False when the close is refused (a run is busy: the stop question was asked instead). The
  // close is then due (MainView::CloseDue) when the run ends, by the stop or by itself while the
  // question is open; Cancel on the question withdraws it.
  bool CloseRequest();
  // OK in the stop window's confirm form.
  void ConfirmStop();
  // The stop window's answer to the form it was awaited with (the desktop's window answers
  // later, from its own buttons; elsewhere the answer comes through UserAnswers at once).
  void StopWindowAnswer(MsgAnswer answer);
  // A run's end that is still flashing its finish box is brought to its end at once, and no
  // stop-window answer is awaited any more (the program is closing).
  void CompleteEnding();

  // Takes the lock of the recording into the current data file (kept while it is held). False
  // when another process records it or the lock file cannot be created: the user has been told
  // and the outcome says why. True when nothing is to be recorded.
  bool ClaimRecording();

  // --- Start checks -----------------------------------------------------------------------------
  // One sequence for every way a run starts (the Run menu, Start, a time of day, the start-up):
  // the refusals first (values a data file cannot hold, a recording another program holds, an
  // interrupted run's raw file), then each question still unanswered, asked through UserAnswers;
  // then the run is Confirmed. Idle when refused or declined. Nothing is asked again while the
  // run stays Confirmed; every run end clears it. The time-of-day form is the start-up's.
  bool ConfirmStart(bool timeOfDayForm);
  // The next question the start needs answered for the current data file and parameters, given
  // the questions already agreed to (None: nothing to ask).
  StartQuestion NextStartQuestion(bool timeOfDayForm, const std::vector<StartQuestion>& agreed) const;
  MessageRequest StartQuestionMessage(StartQuestion question) const;

  // --- Events ---------------------------------------------------------------------------------
  void OnTimer1();
  void OnTimerExpt();

  // --- Run sample hand-off (the decoder calls these) ------------------------------------------
  bool RunIsRunning() override { return state_.Running(); }
  void AppendRecordedSample(const PositionSample& sample) override;
  void AccountSample(const PositionSample& sample) override;
  void CountLineNoise() override;
  void UpdateLiveDisplay(const PositionSample& sample) override;

  // --- Silent unit -----------------------------------------------------------------------------
  void SetSilenceLimitMs(std::int64_t ms) { silenceLimitMs_ = ms; }
  // How the unit's port is named in the message of a silent unit ("COM1" when not set).
  void SetPortName(std::function<std::string()> name) { portName_ = std::move(name); }
  // The last run was stopped because the unit fell silent.
  bool StoppedForSilence() const { return state_.Ended == RunEnding::UnitSilent; }

  // What the last run end wrote (empty before the first).
  const RunFilesOutcome& LastRunFiles() const { return outcome_.Files; }
  const RunOutcome& Outcome() const { return outcome_; }
  // Samples a whole run records: every second of every session.
  std::int64_t PlannedSamples() const;
  // Samples handed to the run accounting since the run started.
  std::int64_t SamplesCounted() const { return samplesCounted_; }
  const RawRecorder& Recorder() const { return recorder_; }
  RawRecorder& Recorder() { return recorder_; }

 private:
  bool Recording() const;
  // The live display draws the run's trace from its start until its files are written.
  bool DisplayActive() const;
  // Opens the recorded sample file, wakes the unit when needed and starts the stream at the full
  // rates (25 and 30). A closed port shows "Port Error".
  bool StartMonitoring();
  bool OpenRecordedSampleFile();
  void RunStart();
  bool BeginRecording();
  bool CannotStart(const std::string& file, int error);
  bool CannotStart(const std::string& line, const MessageRequest& message);
  bool NoUnrecoveredRecording();
  // The refusals of the start sequence; false when the start was refused (the user was told).
  bool StartAllowed();
  // False when a file of the run could not be written (the user has been told).
  bool RunEnd();
  void FinishRun();
  void BackToIdle();
  void ReturnHome();
  // The end of a run whose files were written: the status form, the finish box drawn on the
  // unit's screen and flashed by a timer, then home.
  void BeginFinishSequence(bool stopped);
  void FlashStep();
  void EndFinishSequence();
  void AwaitStopWindow(StopWindowForm form, const MessageRequest& message);
  void CloseStatusWindow();
  void StopForRecordingFailure();
  void CountSample(const PositionSample& sample);
  bool UnitFellSilent();
  void StopForSilence();
  bool WriteJournal();
  void RemoveJournal();
  void RefreshLabels();
  void TimeOfDayStart();
  void CountDownDelay();
  int PollIntervalMs() const;
  bool ChooseOutputFile();
  std::int32_t SecondsUntilTimeOfDay(std::int32_t nowSecond) const;

  RunContext ctx_;
  RunState state_;
  RawRecorder recorder_;
  RunOutcome outcome_;
  RecordingLock recordingLock_;
  std::string journalPath_;
  Clock::TimerId timer1_ = 0;
  std::optional<Clock::TimerId> timerExpt_;
  std::int32_t lastSecond_ = -1;
  std::int64_t samplesCounted_ = 0;
  std::int64_t lastHeardMs_ = 0;
  std::int64_t delayEndMs_ = 0;   // when the initial delay is over (clock ticks)
  std::int64_t pollStartMs_ = 0;  // when the polled run started, and the polls it made since
  std::int64_t pollsDone_ = 0;
  std::int64_t silenceLimitMs_ = kSilenceLimitMs;
  std::function<std::string()> portName_;
  // The stop-window form whose answer is awaited, if any.
  std::optional<StopWindowForm> awaited_;
  // The finish sequence under way: its flash timer, flashes still to come, the screen's
  // inversion to restore, and whether the run was stopped (no answer is awaited then).
  std::optional<Clock::TimerId> flashTimer_;
  int flashesLeft_ = 0;
  bool inversionBefore_ = false;
  bool finishStopped_ = false;
  // A close asked while the run was busy, to go ahead when it ends.
  bool closeRequested_ = false;
};

}  // namespace tlx
