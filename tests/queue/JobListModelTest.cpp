#include "JobListModel.h"
#include "QueueTestSupport.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zurbo {
namespace {

PDFJob completeJob()
{
    PDFJob job = PDFJob::queued("/tmp/in/Informe.pdf", 1000);
    job.state = JobState::complete();
    job.progress = 1.0;
    job.output = "/tmp/out/Informe-small.pdf";
    job.outputBytes = 250;
    job.targetReached = false;
    return job;
}

TEST(JobListModelTest, RowsShowEveryFieldUnderItsRoleName)
{
    JobListModel jobs;
    PDFJob failed = PDFJob::queued("/tmp/in/b.pdf", 0);
    failed.state = JobState::failed("roto");
    jobs.append({completeJob(), failed});

    const QVariantMap done = jobs.get(0);
    EXPECT_EQ(done.value("id").toString(), jobs.jobs().at(0).id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(done.value("source").toString(), "/tmp/in/Informe.pdf");
    EXPECT_EQ(done.value("fileName").toString(), "Informe.pdf");
    EXPECT_EQ(done.value("output").toString(), "/tmp/out/Informe-small.pdf");
    EXPECT_EQ(done.value("originalBytes").toLongLong(), 1000);
    EXPECT_EQ(done.value("outputBytes").toLongLong(), 250);
    EXPECT_EQ(done.value("state").toString(), "complete");
    EXPECT_EQ(done.value("message").toString(), "");
    EXPECT_EQ(done.value("progress").toDouble(), 1.0);
    EXPECT_EQ(done.value("targetReached"), QVariant(false));
    EXPECT_EQ(done.value("savings").toInt(), 75);

    const QVariantMap broken = jobs.get(1);
    EXPECT_EQ(broken.value("state").toString(), "failed");
    EXPECT_EQ(broken.value("message").toString(), "roto");
    for (const char* absent : {"output", "outputBytes", "targetReached", "savings"}) {
        EXPECT_TRUE(broken.contains(absent)) << absent;
        EXPECT_FALSE(broken.value(absent).isValid()) << absent;
    }
    EXPECT_TRUE(jobs.get(2).isEmpty());
    EXPECT_EQ(jobs.roleNames().size(), done.size());
}

TEST(JobListModelTest, ReportsEachKindOfChangeToViews)
{
    JobListModel jobs;
    QSignalSpy inserted(&jobs, &JobListModel::rowsInserted);
    QSignalSpy removed(&jobs, &JobListModel::rowsRemoved);
    QSignalSpy changed(&jobs, &JobListModel::dataChanged);
    QSignalSpy reset(&jobs, &JobListModel::modelReset);
    QSignalSpy announced(&jobs, &JobListModel::jobsChanged);

    jobs.append({PDFJob::queued("/a.pdf", 1), PDFJob::queued("/b.pdf", 1)});
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 1);

    jobs.update(1, [](PDFJob& job) { job.progress = 0.5; });
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 1);
    EXPECT_EQ(jobs.data(jobs.index(1), JobListModel::ProgressRole).toDouble(), 0.5);

    jobs.remove(jobs.jobs().at(0).id);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed.at(0).at(1).toInt(), 0);
    EXPECT_EQ(testing::fileNames(jobs.jobs()), QStringList{"b.pdf"});

    jobs.remove(QUuid::createUuid());
    EXPECT_EQ(removed.size(), 1);

    jobs.clear();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(jobs.rowCount(), 0);
    EXPECT_EQ(announced.size(), 5);
}

} // namespace
} // namespace zurbo
