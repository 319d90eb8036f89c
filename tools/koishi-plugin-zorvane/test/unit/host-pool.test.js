// The pool of host processes against a stand-in host: order, a group's
// process, crashes and hangs, a program that cannot start.
'use strict'

const assert = require('node:assert/strict')
const path = require('node:path')
const { test } = require('node:test')
const { HostPool, processIndex } = require('../../lib/host-pool')
const { recordingLogger } = require('../support/recording-logger')

const STAND_IN = path.join(__dirname, '..', 'support', 'stand-in-host.js')

function pool(options = {}) {
  const logger = recordingLogger()
  const hosts = new HostPool({
    size: 2, program: process.execPath, args: [STAND_IN], timeoutMs: 2000, logger, ...options,
  })
  return { hosts, logger }
}

function event(group, message) {
  return { op: 'event', group: String(group), member: '10001', message, type: '2', extra: '' }
}

// The pid and the message of a stand-in's reply.
function parts(answer) {
  const [pid, ...message] = answer.reply.split(' ')
  return { pid, message: message.join(' ') }
}

test('each group keeps its process, and its answers keep their order', async (t) => {
  const { hosts } = pool({ size: 3 })
  t.after(() => hosts.close())
  const groups = ['10001', '10002', '10003', '10004', '10005', '10006']
  const answers = await Promise.all(
    groups.flatMap((group) => [1, 2, 3].map((n) => hosts.request(event(group, `${group}/${n}`)))),
  )
  const pidOf = new Map()
  answers.forEach((answer, index) => {
    const group = groups[Math.floor(index / 3)]
    const { pid, message } = parts(answer)
    assert.equal(message, `${group}/${(index % 3) + 1}`)
    assert.equal(pidOf.get(group) ?? pid, pid, `group ${group} changed process`)
    pidOf.set(group, pid)
  })
  assert.equal(new Set(pidOf.values()).size, 3, 'six groups on three processes use all three')
  assert.equal(pidOf.get('10001'), pidOf.get('10004'))
})

test('a group number picks a process by its remainder, any other text by a hash', () => {
  for (const [group, count, index] of [['10001', 2, 1], ['10002', 2, 0], ['7', 4, 3], ['0', 1, 0]]) {
    assert.equal(processIndex(group, count), index, `${group} of ${count}`)
  }
  for (const group of ['abc', '-5', '1'.repeat(40)]) {
    const index = processIndex(group, 3)
    assert.ok(index >= 0 && index < 3 && index === processIndex(group, 3), group)
  }
})

// Each fault: what the stand-in is told, the log line it must leave.
for (const [fault, logged] of [['crash', 'ended (exit code 3)'], ['hang', 'did not answer within']]) {
  test(`a host that meets "${fault}" is restarted, that event unanswered and logged`, async (t) => {
    const { hosts, logger } = pool({ size: 1, timeoutMs: 700 })
    t.after(() => hosts.close())
    const before = parts(await hosts.request(event(1, 'hello')))
    const [lost, after] = await Promise.all([
      hosts.request(event(1, fault)),
      hosts.request(event(1, 'again')),
    ])
    assert.equal(lost, null)
    assert.equal(parts(after).message, 'again', 'the queued event goes to the new process')
    assert.notEqual(parts(after).pid, before.pid)
    assert.equal(logger.matching('warn', logged, 'unanswered', `"${fault}"`).length, 1, logger.lines.join('\n'))
  })
}

test('a slow group holds only the groups of its own process', async (t) => {
  const { hosts } = pool({ size: 2 })
  t.after(() => hosts.close())
  const finished = []
  const slow = hosts.request(event(10001, 'slow 800')).then(() => finished.push('slow'))
  const sameProcess = hosts.request(event(10003, 'next')).then(() => finished.push('same'))
  const otherProcess = hosts.request(event(10002, 'other')).then(() => finished.push('other'))
  await Promise.all([slow, sameProcess, otherProcess])
  assert.deepEqual(finished, ['other', 'slow', 'same'])
})

test('a program that cannot start answers null at once and says why', async (t) => {
  const { hosts, logger } = pool({ size: 1, program: path.join(__dirname, 'no-such-host') })
  t.after(() => hosts.close())
  const started = Date.now()
  assert.equal(await hosts.request(event(1, 'hello')), null)
  assert.ok(Date.now() - started < 1000)
  assert.equal(logger.matching('error', 'cannot start', 'no-such-host').length, 1)
})

test('closing answers what is still queued with null', async () => {
  const { hosts } = pool({ size: 1 })
  const slow = hosts.request(event(1, 'slow 300'))
  const queued = hosts.request(event(1, 'queued'))
  await new Promise((resolve) => setTimeout(resolve, 50))
  await hosts.close()
  assert.equal(await queued, null)
  assert.ok((await slow) === null || parts(await slow).message === 'slow 300')
  assert.equal(await hosts.request(event(1, 'late')), null)
})
