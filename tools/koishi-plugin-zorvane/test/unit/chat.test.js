// Which messages reach the game, and as what text.
'use strict'

const assert = require('node:assert/strict')
const { test } = require('node:test')
const { forwardedText, chatReply } = require('../../lib/chat')

function text(content) {
  return { type: 'text', attrs: { content } }
}

function session(elements, fields = {}) {
  return { isDirect: false, guildId: 'g', elements, ...fields }
}

test('the text a message brings to the game', () => {
  const at = { type: 'at', attrs: { id: '5' } }
  const image = { type: 'img', attrs: { src: 'x' } }
  // session, command word (null: every message), what the game gets.
  const cases = [
    [session([text('1<2 & 3')]), null, '1<2 & 3'],
    [session([text('A '), at, text(' B')]), null, 'A  B'],
    [session([image]), null, null],
    [session([]), null, null],
    [session([text('hi')], { isDirect: true }), null, null],
    [session([text('hi')], { guildId: undefined }), null, null],
    [session([text('Zorva 开始')]), 'Zorva ', '开始'],
    [session([text('Zorva 开始')]), null, 'Zorva 开始'],
    [session([text('开始')]), 'Zorva ', null],
    [session([text('Zorva ')]), 'Zorva ', null],
    [session([text('zorva 开始')]), 'Zorva ', null],
  ]
  for (const [input, commandWord, expected] of cases) {
    assert.equal(forwardedText(input, commandWord), expected, JSON.stringify([input, commandWord]))
  }
})

test("the module's line ends become the chat's", () => {
  assert.equal(chatReply('a\r\nb\r\n'), 'a\nb\n')
  assert.equal(chatReply('a\rb\n'), 'a\rb\n')
})
