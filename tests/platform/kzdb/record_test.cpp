// Typed record layer: round trips, zeroing rules, copies, columns and batches.
#include <chrono>
#include <cstddef>
#include <cstring>

#include "kzdb_records.h"
#include "kzdb_test_util.h"

// A test-only record kind.
struct ProbeRecord {
    int32_t channel;
    int32_t level;
    char label[20];
    int32_t mode;
};
static_assert(sizeof(ProbeRecord) == 32);

KZDB_RECORD(probe, probes, ProbeRecord, channel, 64)

namespace {

using kzdb_test::StoreTest;
using RecordTest = StoreTest;

ProbeRecord make(int channel, int level, const char *label, int mode = 0) {
    ProbeRecord r{};
    r.channel = channel;
    r.level = level;
    kzdb::set_text(r.label, label);
    r.mode = mode;
    return r;
}

bool same(const ProbeRecord &a, const ProbeRecord &b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST_F(RecordTest, WriteThenReadRoundTripsAndReplacesByOwnKey) {
    ProbeRecord w = make(5, 7, "front door");
    ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    ProbeRecord r{};
    ASSERT_EQ(read_probe(KZDB_PATH, &r, 5), 0);
    EXPECT_TRUE(same(r, w));
    w.level = 8;
    ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    ASSERT_EQ(read_probe(KZDB_PATH, &r, 5), 0);
    EXPECT_EQ(r.level, 8);
    int count = -1;
    ASSERT_EQ(read_probes(KZDB_PATH, &r, 1, &count), 0);
    EXPECT_EQ(count, 1) << "replace must not add a second record";
}

TEST_F(RecordTest, ReadLeavesTheCallersRecordWhenNothingIsStored) {
    ProbeRecord zeroed{};
    EXPECT_EQ(read_probe(KZDB_PATH, &zeroed, 3), -1);
    EXPECT_TRUE(same(zeroed, ProbeRecord{}));
    ProbeRecord marked;
    std::memset(&marked, 0xAB, sizeof marked);
    ProbeRecord before = marked;
    EXPECT_EQ(read_probe(KZDB_PATH, &marked, 3), -1);
    EXPECT_TRUE(same(marked, before));
    EXPECT_EQ(read_probe(KZDB_PATH, nullptr, 3), -1);
}

TEST_F(RecordTest, ReadAllIsOrderedByKeyPackedAndBoundedByCapacity) {
    ProbeRecord in[] = {make(9, 1, "c"), make(2, 2, "a"), make(4, 3, "b")};
    ASSERT_EQ(write_probes(KZDB_PATH, in, 3), 0);
    ProbeRecord out[4]{};
    int count = -1;
    ASSERT_EQ(read_probes(KZDB_PATH, out, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(out[0].channel, 2);
    EXPECT_EQ(out[1].channel, 4);
    EXPECT_EQ(out[2].channel, 9);
    EXPECT_STREQ(out[2].label, "c");
    ProbeRecord two[2];
    std::memset(two, 0xCD, sizeof two);
    ASSERT_EQ(read_probes(KZDB_PATH, two, 2, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(two[1].channel, 4);
    EXPECT_EQ(read_probes(KZDB_PATH, two, 0, &count), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(RecordTest, KindsAndDatabasesAreSeparate) {
    ProbeRecord w = make(1, 1, "x");
    ASSERT_EQ(write_probe(KZDB_ANPR_PATH, &w), 0);
    ProbeRecord r{};
    EXPECT_EQ(read_probe(KZDB_PATH, &r, 1), -1);
    EXPECT_EQ(kzdb::load(KZDB_ANPR_PATH, "other", 1, &r, sizeof r), -1);
    EXPECT_EQ(read_probe(KZDB_ANPR_PATH, &r, 1), 0);
}

// A blob stored by another layout never overruns the reader's struct.
TEST_F(RecordTest, SizeMismatchCopiesTheCommonPartAndZeroesTheRest) {
    const unsigned char shorter[6] = {1, 0, 0, 0, 0x22, 0x11};
    ASSERT_EQ(kzdb::store(KZDB_PATH, "probe", 1, shorter, sizeof shorter), 0);
    ProbeRecord r;
    std::memset(&r, 0xAB, sizeof r);
    ASSERT_EQ(read_probe(KZDB_PATH, &r, 1), 0);
    EXPECT_EQ(r.channel, 1);
    EXPECT_EQ(r.level, 0x1122);
    EXPECT_EQ(r.label[0], 0);
    EXPECT_EQ(r.mode, 0);

    unsigned char longer[100];
    for (size_t i = 0; i < sizeof longer; i++)
        longer[i] = static_cast<unsigned char>(i + 1);
    ASSERT_EQ(kzdb::store(KZDB_PATH, "probe", 2, longer, sizeof longer), 0);
    struct Guarded {
        ProbeRecord rec;
        unsigned char guard[68];
    } g;
    std::memset(&g, 0xEE, sizeof g);
    ASSERT_EQ(read_probe(KZDB_PATH, &g.rec, 2), 0);
    EXPECT_EQ(std::memcmp(&g.rec, longer, sizeof g.rec), 0);
    for (unsigned char b : g.guard)
        ASSERT_EQ(b, 0xEE) << "wrote past the record";

    ProbeRecord all[3];
    std::memset(all, 0xAB, sizeof all);
    int count = 0;
    ASSERT_EQ(read_probes(KZDB_PATH, all, 2, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(all[0].mode, 0);
    EXPECT_EQ(std::memcmp(&all[1], longer, sizeof all[1]), 0);
    EXPECT_EQ(static_cast<unsigned char>(all[2].channel), 0xAB) << "beyond count untouched";
}

TEST_F(RecordTest, DeleteRemovesOneRecord) {
    ProbeRecord w = make(3, 1, "x");
    ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    EXPECT_EQ(delete_probe(KZDB_PATH, 3), 0);
    EXPECT_EQ(delete_probe(KZDB_PATH, 3), -1);
    ProbeRecord r{};
    EXPECT_EQ(read_probe(KZDB_PATH, &r, 3), -1);
}

TEST_F(RecordTest, CopyWritesTheSourceToEveryMaskedChannelWithItsOwnKey) {
    ProbeRecord src = make(2, 42, "src", 1);
    ProbeRecord keep = make(3, 99, "keep");
    ASSERT_EQ(write_probe(KZDB_PATH, &src), 0);
    ASSERT_EQ(write_probe(KZDB_PATH, &keep), 0);
    uint64_t mask = (1ull << 0) | (1ull << 2) | (1ull << 40) | (1ull << 63);
    ASSERT_EQ(copy_probe(KZDB_PATH, 2, mask), 0);
    for (int ch : {0, 40, 63}) {
        ProbeRecord r{};
        ASSERT_EQ(read_probe(KZDB_PATH, &r, ch), 0) << ch;
        ProbeRecord want = src;
        want.channel = ch;
        EXPECT_TRUE(same(r, want)) << ch;
    }
    ProbeRecord r{};
    ASSERT_EQ(read_probe(KZDB_PATH, &r, 3), 0);
    EXPECT_TRUE(same(r, keep)) << "unselected channel changed";
    int count = 0;
    ProbeRecord all[64];
    ASSERT_EQ(read_probes(KZDB_PATH, all, &count), 0);
    EXPECT_EQ(count, 5);
}

TEST_F(RecordTest, CopyOfAnUnstoredSourceWritesNothing) {
    EXPECT_EQ(copy_probe(KZDB_PATH, 7, ~0ull), -1);
    ProbeRecord all[64];
    int count = -1;
    ASSERT_EQ(read_probes(KZDB_PATH, all, &count), 0);
    EXPECT_EQ(count, 0);
}

TEST_F(RecordTest, CopyToSixtyThreeChannelsIsWellUnderASecond) {
    ProbeRecord src = make(0, 1, "fast");
    ASSERT_EQ(write_probe(KZDB_PATH, &src), 0);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(copy_probe(KZDB_PATH, 0, ~0ull), 0);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count();
    EXPECT_LT(ms, 250) << "copy to 63 channels took " << ms << " ms";
    int count = 0;
    ProbeRecord all[64];
    ASSERT_EQ(read_probes(KZDB_PATH, all, &count), 0);
    EXPECT_EQ(count, 64);
}

class ColumnTest : public StoreTest {
  protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(kzdb::register_int_column("probe_table", "mode", "probe",
                                            offsetof(ProbeRecord, mode), sizeof(ProbeRecord)),
                  0);
    }
};

TEST_F(ColumnTest, SetsOneIntegerFieldOfTheSelectedStoredChannels) {
    for (int ch = 0; ch < 4; ch++) {
        ProbeRecord w = make(ch, 10 + ch, "x", 0);
        ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    }
    uint64_t mask = (1ull << 1) | (1ull << 3) | (1ull << 20);  // 20 has no record
    ASSERT_EQ(copy_table_column_int(KZDB_PATH, "probe_table", "mode", 2, mask), 0);
    for (int ch = 0; ch < 4; ch++) {
        ProbeRecord r{};
        ASSERT_EQ(read_probe(KZDB_PATH, &r, ch), 0);
        EXPECT_EQ(r.mode, (mask >> ch & 1) ? 2 : 0) << ch;
        EXPECT_EQ(r.level, 10 + ch) << "other fields must stay";
    }
    ProbeRecord r{};
    EXPECT_EQ(read_probe(KZDB_PATH, &r, 20), -1) << "no record is created";
}

TEST_F(ColumnTest, SplitMaskFormTakesKeyColumnId) {
    for (int ch : {1, 33}) {
        ProbeRecord w = make(ch, 0, "x");
        ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    }
    EXPECT_EQ(copy_table_column_int(KZDB_PATH, "probe_table", "mode", 5, 1u << 1, 1u << 1, "id"),
              0);
    ProbeRecord r{};
    ASSERT_EQ(read_probe(KZDB_PATH, &r, 33), 0);
    EXPECT_EQ(r.mode, 5);
    ASSERT_EQ(read_probe(KZDB_PATH, &r, 1), 0);
    EXPECT_EQ(r.mode, 5);
    EXPECT_EQ(copy_table_column_int(KZDB_PATH, "probe_table", "mode", 6, ~0u, ~0u, "name"), -1);
}

TEST_F(ColumnTest, UnknownTableOrColumnFails) {
    EXPECT_EQ(copy_table_column_int(KZDB_PATH, "probe_table", "nope", 1, ~0ull), -1);
    EXPECT_EQ(copy_table_column_int(KZDB_PATH, "nope", "mode", 1, ~0ull), -1);
    EXPECT_EQ(copy_table_column_int(KZDB_PATH, nullptr, "mode", 1, ~0ull), -1);
    EXPECT_EQ(kzdb::register_int_column("t", "c", "k", 30, 32), -1) << "int past the record";
}

TEST_F(RecordTest, BatchCommitsAllWritesAtOnce) {
    kzdb::Batch batch(KZDB_PATH);
    ASSERT_TRUE(batch.ok());
    for (int ch = 0; ch < 8; ch++) {
        ProbeRecord w = make(ch, ch, "b");
        ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    }
    ASSERT_EQ(add_param_value(KZDB_PATH, "in_batch", "1"), 0);
    EXPECT_EQ(batch.commit(), 0);
    EXPECT_EQ(batch.commit(), -1) << "a batch commits once";
    ProbeRecord all[64];
    int count = 0;
    ASSERT_EQ(read_probes(KZDB_PATH, all, &count), 0);
    EXPECT_EQ(count, 8);
    EXPECT_EQ(check_param_key(KZDB_PATH, "in_batch"), 0);
}

TEST_F(RecordTest, BatchWithoutCommitRollsBack) {
    {
        kzdb::Batch batch(KZDB_PATH);
        ProbeRecord w = make(1, 1, "gone");
        ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
        ASSERT_EQ(add_param_value(KZDB_PATH, "gone", "1"), 0);
    }
    ProbeRecord r{};
    EXPECT_EQ(read_probe(KZDB_PATH, &r, 1), -1);
    EXPECT_EQ(check_param_key(KZDB_PATH, "gone"), -1);
}

TEST_F(RecordTest, AnAbandonedInnerBatchDoomsTheOuterOne) {
    kzdb::Batch outer(KZDB_PATH);
    ProbeRecord w = make(1, 1, "x");
    ASSERT_EQ(write_probe(KZDB_PATH, &w), 0);
    {
        kzdb::Batch inner(KZDB_PATH);
        ASSERT_TRUE(inner.ok());
    }
    EXPECT_FALSE(outer.ok());
    EXPECT_EQ(write_probe(KZDB_PATH, &w), -1) << "writes in a doomed batch fail";
    EXPECT_EQ(outer.commit(), -1);
    ProbeRecord r{};
    EXPECT_EQ(read_probe(KZDB_PATH, &r, 1), -1);
    EXPECT_EQ(write_probe(KZDB_PATH, &w), 0) << "the next transaction is clean";
}

TEST_F(RecordTest, RefusedWriteKeepsTheBatchAndNoCommitDropsIt) {
    ProbeRecord in[2] = {make(1, 1, "a"), make(2, 2, "b")};
    ASSERT_EQ(add_param_value(KZDB_PATH, "k", "v"), 0);
    {
        kzdb::Batch outer(KZDB_PATH);
        ASSERT_EQ(write_probes(KZDB_PATH, in, 2), 0);
        // A refused update (no such key) does not doom the batch...
        EXPECT_EQ(set_param_value(KZDB_PATH, "absent", "x"), -1);
        EXPECT_TRUE(outer.ok());
    }  // ...but leaving without commit rolls everything back
    int count = -1;
    ProbeRecord all[4];
    ASSERT_EQ(read_probes(KZDB_PATH, all, &count), 0);
    EXPECT_EQ(count, 0);
}

}  // namespace
