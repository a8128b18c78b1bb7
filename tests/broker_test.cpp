#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "broker/broker_publisher.h"
#include "broker/disk_queue.h"
#include "broker/machine_id.h"

namespace tobrak {
namespace {

namespace fs = std::filesystem;

TEST(MachineTopicId, SafeStableAndDistinct) {
    const std::string names[] = {"Sample #3", "sample 3", "見本の台", "見本の台 2", "", "a/b+c#d e", "ＡＢＣ"};
    std::set<std::string> ids;
    for (const std::string& n : names) {
        const std::string id = machineTopicId(n);
        EXPECT_EQ(id, machineTopicId(n)) << n;
        EXPECT_EQ(id.find_first_of("/+# "), std::string::npos) << id;
        for (const char c : id) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), std::size(names));  // names of one slug still differ by their hash
    EXPECT_EQ(machineTopicId("Sample #3").substr(0, 9), "sample-3-");
    EXPECT_EQ(machineTopicId("見本の台").substr(0, 8), "machine-");
    EXPECT_EQ(machineTopicId("a/b+c#d e").substr(0, 8), "a-b-c-d-");
    // A long name is cut to its slug's 24 characters, never ending in '-'.
    const std::string longId = machineTopicId("abcdefghijklmnopqrstuvw xyz and more");
    EXPECT_EQ(longId.substr(0, longId.size() - 9), "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(machineTopicId("").size(), std::string("machine-").size() + 8);
    // Two machines of one name in a hall keep apart by their numbers.
    EXPECT_EQ(machineBrokerName("サンプル機", "駅前", "12"), "サンプル機 駅前 12番台");
    EXPECT_EQ(machineBrokerName("サンプル機", "", "12番台"), "サンプル機 12番台");
    EXPECT_EQ(machineBrokerName("サンプル機", "", ""), "サンプル機");
    EXPECT_NE(machineTopicId(machineBrokerName("サンプル機", "", "12")),
              machineTopicId(machineBrokerName("サンプル機", "", "13")));
}

TEST(BrokerUrl, SchemesPortsAndRefusals) {
    BrokerUrl u;
    EXPECT_EQ(parseBrokerUrl("mqtt://broker.local", u), "");
    EXPECT_FALSE(u.tls);
    EXPECT_EQ(u.host, "broker.local");
    EXPECT_EQ(u.port, 1883);
    EXPECT_EQ(parseBrokerUrl("mqtts://10.0.0.2:8884/", u), "");
    EXPECT_TRUE(u.tls);
    EXPECT_EQ(u.host, "10.0.0.2");
    EXPECT_EQ(u.port, 8884);
    EXPECT_EQ(parseBrokerUrl("mqtts://h", u), "");
    EXPECT_EQ(u.port, 8883);
    EXPECT_EQ(parseBrokerUrl("mqtt://[::1]:1999", u), "");
    EXPECT_EQ(u.host, "::1");
    EXPECT_EQ(u.port, 1999);
    for (const char* bad : {"http://h", "h:1883", "mqtt://", "mqtt://h:", "mqtt://h:0", "mqtt://h:70000", "mqtt://h:1x",
                            "mqtt://h/topic"})
        EXPECT_NE(parseBrokerUrl(bad, u), "") << bad;
    const std::string why = parseBrokerUrl("mqtt://me:secret@h", u);
    EXPECT_NE(why.find("--mqtt-auth"), std::string::npos);
    EXPECT_EQ(why.find("secret"), std::string::npos);
}

TEST(BrokerPublisherOptions, Checked) {
    BrokerPublisher::Options o;
    o.url = "mqtt://h";
    o.machineId = machineTopicId("x");
    o.queuePath = "/tmp/q";
    EXPECT_EQ(BrokerPublisher::check(o), "");
    o.caFile = "ca.pem";
    EXPECT_NE(BrokerPublisher::check(o), "");  // a CA file for a plain broker is a mistake
    o.url = "mqtts://h";
    EXPECT_EQ(BrokerPublisher::check(o), "");
    o.prefix = "a/+/";
    EXPECT_NE(BrokerPublisher::check(o), "");
}

class DiskQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tobrak_queue_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        path = (dir / "q").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
    std::string path;
};

TEST_F(DiskQueueTest, KeptUntilAcknowledgedThenCut) {
    {
        DiskQueue q(path, 100);
        const auto a = q.push("t/game", R"({"seq":1})");
        const auto b = q.push("t/game", R"({"seq":2})");
        q.push("t/bonus", R"({"seq":1,"kind":"BB"})");
        q.ack(b);  // out of order: the first still waits, the file keeps all
        EXPECT_EQ(q.size(), 3u);
        q.ack(a);
        EXPECT_EQ(q.size(), 1u);
        EXPECT_GT(fs::file_size(path), 0u);
    }
    // A run that ended before the broker had everything: the next one starts with it.
    DiskQueue q(path, 100);
    ASSERT_EQ(q.size(), 1u);
    EXPECT_EQ(q.pending().front().topic, "t/bonus");
    EXPECT_EQ(q.pending().front().payload, R"({"seq":1,"kind":"BB"})");
    q.ack(q.pending().front().id);
    EXPECT_EQ(q.size(), 0u);
    EXPECT_EQ(fs::file_size(path), 0u);
    q.ack(12345);  // an id never given changes nothing
    q.push("t/game", "x");
    EXPECT_EQ(DiskQueue(path, 100).size(), 1u);
}

TEST_F(DiskQueueTest, BoundedAndTornLines) {
    {
        std::ofstream f(path, std::ios::binary);
        f << "t/game\t{\"seq\":1}\n"
          << "no tab here\n"
          << "t/game\t{\"seq\":2}\n"
          << "t/game\t{\"se";
    }
    DiskQueue q(path, 10);
    ASSERT_EQ(q.size(), 2u);  // the damaged and the half-written line are gone
    EXPECT_EQ(q.pending().back().payload, R"({"seq":2})");
    for (int i = 3; i <= 25; ++i) q.push("t/game", "{\"seq\":" + std::to_string(i) + "}");
    EXPECT_LE(q.size(), 10u);
    EXPECT_EQ(q.pending().back().payload, R"({"seq":25})");
    EXPECT_EQ(q.dropped() + q.size(), 25u);
    // The file holds what memory does: reopened with a smaller bound the oldest go.
    DiskQueue again(path, 4);
    ASSERT_EQ(again.size(), 4u);
    EXPECT_EQ(again.pending().front().payload, R"({"seq":22})");
}

TEST_F(DiskQueueTest, UnwritableFolderIsTold) {
    DiskQueue q((dir / "missing" / "q").string(), 10);
    EXPECT_NE(q.problem(), "");
    bool kept = true;
    q.push("t/game", "x", &kept);
    EXPECT_FALSE(kept);
    EXPECT_EQ(q.size(), 1u);  // still sent from memory
}

}  // namespace
}  // namespace tobrak
