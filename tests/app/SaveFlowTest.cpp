#include "ApplicationFixture.h"
#include "BusyState.h"
#include "ClipJob.h"
#include "EventLoop.h"
#include "ToolFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// The fake ffmpeg writes its arguments, one per line, into "<output>.args".
constexpr const char* recordingFfmpeg =
    R"(for a; do out="$a"; done; for a; do printf '%s\n' "$a"; done > "$out.args")";

class SaveFlowTest : public ApplicationFixture {
protected:
    void SetUp() override
    {
        tools.addScript("ffprobe", "echo format,0:00:10.000000");
        tools.addScript("ffmpeg", recordingFfmpeg);
        delegate.fileDropped("/videos/source clip.mov");
        setFields({delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF()},
                  {"", "1", "75", "5"});
        setFields({delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()},
                  {"0", "0", "90", ""});
    }

    static void setFields(std::initializer_list<QLineEdit*> fields, QStringList texts)
    {
        for (QLineEdit* field : fields)
            field->setText(texts.takeFirst());
    }

    QStringList fieldTexts() const
    {
        QStringList texts;
        for (QLineEdit* field :
             {delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF(),
              delegate.timeHH(), delegate.timeMM(), delegate.timeSS(), delegate.timeFFF()})
            texts << field->text();
        return texts;
    }

    bool busy() const
    {
        return isBusyIndicatorRunning(*delegate.clipProgress()) &&
               !delegate.saveClipButton()->isEnabled();
    }

    QStringList exportTo(const QString& name)
    {
        const QString output = tools.filePath(name);
        delegate.saveClip();
        panels.answer(1, output);
        waitForClipJobs();
        QFile args(output + ".args");
        if (!args.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(args.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    ToolFolder tools;
    ScriptedSavePanels panels;
};

TEST_F(SaveFlowTest, AsksForAnMp4FileOnTheWindow)
{
    delegate.saveClip();
    ASSERT_EQ(panels.records.size(), 1u);
    EXPECT_EQ(panels.records[0]->title, "Save as MP4 file");
    EXPECT_EQ(panels.records[0]->types, QStringList{"mp4"});
    EXPECT_EQ(panels.records[0]->window, &window);
    EXPECT_FALSE(busy()); // nothing happens before the answer
}

struct CancelCase {
    const char* name;
    qint64 response;
    std::optional<QString> url;
};

class SaveFlowCancel : public SaveFlowTest, public testing::WithParamInterface<CancelCase> {};

TEST_P(SaveFlowCancel, LeavesTheFieldsAloneAndEndsTheBusyState)
{
    const QStringList before = fieldTexts();
    delegate.saveClip();
    panels.answer(GetParam().response, GetParam().url);

    EXPECT_EQ(fieldTexts(), before);
    EXPECT_TRUE(delegate.clipProgress()->isHidden());
    EXPECT_TRUE(delegate.saveClipButton()->isEnabled());
    EXPECT_EQ(runningClipJobCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Responses, SaveFlowCancel,
                         testing::Values(CancelCase{"Cancel", 0, std::nullopt},
                                         CancelCase{"CancelWithAFile", 0, QString("/tmp/x.mp4")},
                                         CancelCase{"ResponseTwo", 2, QString("/tmp/x.mp4")},
                                         CancelCase{"NegativeResponse", -1000,
                                                    QString("/tmp/x.mp4")},
                                         CancelCase{"OkWithoutAFile", 1, std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveFlowTest, OkNormalisesBothGroupsAndStartsTheJob)
{
    EXPECT_EQ(exportTo("out.mp4"),
              (QStringList{"-y", "-ss", "00:02:15.50", "-i", "/videos/source clip.mov", "-t",
                           "00:01:30.00", "-qscale", "0", tools.filePath("out.mp4")}));
    EXPECT_EQ(fieldTexts(), (QStringList{"", "2", "15", "5", "0", "1", "30", ""}));
}

TEST_F(SaveFlowTest, OkIsBusyUntilTheJobHasFinished)
{
    tools.addScript("ffmpeg",
                    R"(for a; do out="$a"; done; while [ ! -e "$out.go" ]; do sleep 0.02; done)");
    delegate.saveClip();
    panels.answer(1, tools.filePath("slow.mp4"));
    EXPECT_TRUE(busy());

    processEventsUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_TRUE(busy());
    QFile(tools.filePath("slow.mp4.go")).open(QIODevice::WriteOnly);
    EXPECT_TRUE(processEventsUntil([&] { return !busy(); }));
    EXPECT_TRUE(delegate.clipProgress()->isHidden());
}

TEST_F(SaveFlowTest, TakesTheInputFromTheLabel)
{
    delegate.droppedFileNameLabel()->setText("/edited/by hand.mkv");
    const QStringList arguments = exportTo("label.mp4");
    ASSERT_GE(arguments.size(), 5);
    EXPECT_EQ(arguments[4], "/edited/by hand.mkv");
}

struct AudioCase {
    Qt::CheckState state;
    qsizetype argumentCount;
};

class SaveFlowAudio : public SaveFlowTest, public testing::WithParamInterface<AudioCase> {};

TEST_P(SaveFlowAudio, LeavesAudioOutOnlyWhenChecked)
{
    delegate.removeAudioButton()->setTristate(true);
    delegate.removeAudioButton()->setCheckState(GetParam().state);
    const QStringList arguments = exportTo("audio.mp4");
    ASSERT_EQ(arguments.size(), GetParam().argumentCount);
    EXPECT_EQ(arguments.contains("-an"), GetParam().argumentCount == 11);
    if (GetParam().argumentCount == 11) {
        EXPECT_EQ(arguments[9], "-an");
    }
}

INSTANTIATE_TEST_SUITE_P(States, SaveFlowAudio,
                         testing::Values(AudioCase{Qt::Checked, 11}, AudioCase{Qt::Unchecked, 10},
                                         AudioCase{Qt::PartiallyChecked, 10}));

TEST(RemoveAudioState, UsesTheApplicationsOwnNumbers)
{
    QCheckBox box;
    box.setTristate(true);
    box.setCheckState(Qt::Checked);
    EXPECT_EQ(removeAudioStateOf(box), 1);
    box.setCheckState(Qt::Unchecked);
    EXPECT_EQ(removeAudioStateOf(box), 0);
    box.setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(removeAudioStateOf(box), -1);
}

TEST_F(SaveFlowTest, TwoExportsRunSideBySideAndTheFirstToFinishEndsTheBusyState)
{
    tools.addScript("ffmpeg", R"(for a; do out="$a"; done; touch "$out.started"
                                 while [ ! -e "$out.go" ]; do sleep 0.02; done)");
    const QString first = tools.filePath("first.mp4");
    const QString second = tools.filePath("second.mp4");

    delegate.saveClip();
    panels.answer(1, first);
    delegate.fileDropped("/videos/another.mov"); // enables save during the export
    ASSERT_TRUE(delegate.saveClipButton()->isEnabled());
    delegate.saveClip();
    panels.answer(1, second);

    ASSERT_TRUE(processEventsUntil(
        [&] { return QFile::exists(first + ".started") && QFile::exists(second + ".started"); }));
    EXPECT_EQ(runningClipJobCount(), 2);
    EXPECT_TRUE(busy());

    QFile(first + ".go").open(QIODevice::WriteOnly);
    EXPECT_TRUE(processEventsUntil([&] { return !busy(); }));
    EXPECT_EQ(runningClipJobCount(), 1);

    QFile(second + ".go").open(QIODevice::WriteOnly);
    waitForClipJobs();
}

} // namespace
